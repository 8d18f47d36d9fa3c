// Tmain_form's controls: the two grid areas, the buttons, the status bar
// panels and the main menu with its fixed item states.
#include <algorithm>

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/Root.h"
#include "ui/main_grids.h"
#include "ui/panel_status_bar.h"
#include "ui/string_grid.h"

namespace vx::ui {

void Tmain_form::build_layout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto make_area = [](QWidget* owner, const QString& panel, const QString& header,
                        const QString& label_name, const QString& caption, StringGrid* grid) {
        auto* area = new QWidget(owner);
        area->setObjectName(panel);
        auto* column = new QVBoxLayout(area);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        auto* title = new QFrame(area);
        title->setObjectName(header);
        title->setFrameShape(QFrame::Panel);
        title->setFrameShadow(QFrame::Raised);
        auto* title_layout = new QHBoxLayout(title);
        title_layout->setContentsMargins(6, 2, 6, 2);
        auto* label = new QLabel(caption, title);
        label->setObjectName(label_name);
        title_layout->addWidget(label);
        column->addWidget(title);
        grid->setParent(area);
        column->addWidget(grid, 1);
        return area;
    };

    sg1 = new StringGrid(17, 65, 1, 1);
    sg1->setObjectName(QStringLiteral("sg1"));
    set_up_variables_grid(*sg1);
    // Ctrl and Shift pick several variables for the watch window at once.
    sg1->set_multi_select(true);
    sg1->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddToWatch1 = new QAction(QStringLiteral("Добавить в наблюдение"), sg1);
    AddToWatch1->setObjectName(QStringLiteral("AddToWatch1"));
    sg1->addAction(AddToWatch1);
    sg2 = new StringGrid(22, 3, 0, 1);
    sg2->setObjectName(QStringLiteral("sg2"));
    set_up_modules_grid(*sg2);

    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(make_area(splitter, QStringLiteral("Panel4"), QStringLiteral("Panel5"),
                                  QStringLiteral("Label2"),
                                  QStringLiteral("Значения переменных контроллера"), sg1));
    splitter->addWidget(make_area(
        splitter, QStringLiteral("Panel2"), QStringLiteral("Panel3"), QStringLiteral("Label1"),
        QStringLiteral("Информация о состоянии модулей VX, работающих по протоколу Tarnet+"), sg2));
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({345, 250});
    layout->addWidget(splitter, 1);

    auto* buttons = new QWidget(central);
    buttons->setObjectName(QStringLiteral("Panel1"));
    buttons->setFixedHeight(33);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(8, 6, 8, 6);
    Button2 = new QPushButton(QStringLiteral("Обновить значения переменных"), buttons);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("Обновить информацию о модулях (протокол Tarnet+)"),
                              buttons);
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton* button : {Button2, Button1}) {
        // 282 x 20 as laid out; wider only where this system's font needs it.
        button->setMinimumSize(282, 20);
        button->setFixedHeight(std::max(20, button->fontMetrics().height() + 6));
    }
    row->addWidget(Button2);
    row->addStretch(1);
    row->addWidget(Button1);
    layout->addWidget(buttons);
    setCentralWidget(central);

    sb = new PanelStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->add_panel(100, QStringLiteral("Соединение"));
    sb->add_panel(80);
    sb->add_panel(150, QStringLiteral("Версия контроллера"));
    sb->add_panel(50);
    sb->add_panel(118, QStringLiteral("Загрузка данных"));
    sb->add_panel(128, QString(), true);
    transfer_progress = new QProgressBar(sb);
    transfer_progress->setObjectName(QStringLiteral("transfer_progress"));
    transfer_progress->setFixedWidth(160);
    transfer_progress->setMaximumHeight(16);
    transfer_progress->hide();
    sb->addWidget(transfer_progress);
    setStatusBar(sb);

    connect(Button1, &QPushButton::clicked, this, &Tmain_form::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tmain_form::Button2Click);
    connect(sg1, &StringGrid::cell_selected, this, &Tmain_form::sg1SelectCell);
    connect(AddToWatch1, &QAction::triggered, this, &Tmain_form::AddToWatch1Click);
}

void Tmain_form::build_menu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto submenu = [this, bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name) + QStringLiteral("_menu"));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    auto divider = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QLatin1String(name));
        return action;
    };

    QMenu* utilities = submenu("N1", QStringLiteral("Утилиты"));
    N1 = utilities->menuAction();
    N2 = item(utilities, "N2", QStringLiteral("Мастер адресации модулей..."));
    N5 = item(utilities, "N5", QStringLiteral("Редактор программ"));
    // Added items: after a divider, so that the original ones keep their places.
    N25 = divider(utilities, "N25");
    Reconnect1 = item(utilities, "Reconnect1", QStringLiteral("Подключиться к контроллеру"));
    AutoReconnect1 =
        item(utilities, "AutoReconnect1", QStringLiteral("Подключаться заново автоматически"));
    AutoReconnect1->setCheckable(true);
    Backup1 = item(utilities, "Backup1", QStringLiteral("Резервная копия конфигурации..."));
    ExchangeMonitor1 = item(utilities, "ExchangeMonitor1", QStringLiteral("Монитор обмена..."));
    VarWatch1 = item(utilities, "VarWatch1", QStringLiteral("Наблюдение за переменными..."));

    QMenu* operations = submenu("N4", QStringLiteral("Операции"));
    N4 = operations->menuAction();
    N3 = item(operations, "N3", QStringLiteral("Настройка параметров контроллера..."));
    N12 = item(operations, "N12",
               QStringLiteral("Начальные значения переменных при загрузке контроллера..."));
    N21 = item(operations, "N21", QStringLiteral("Частота опроса модулей по протоколу Tarnet..."));
    N13 = divider(operations, "N13");
    X101 = item(operations, "X101", QStringLiteral("Информация контроллера о модулях X10..."));
    N11 = item(operations, "N11", QStringLiteral("Изменение значения переменной..."));
    N15 = divider(operations, "N15");
    N6 = item(operations, "N6", QStringLiteral("Загрузка программы в контроллер..."));
    N10 = item(operations, "N10", QStringLiteral("Загрузка прошивки..."));
    N14 = divider(operations, "N14");
    N16 = item(operations, "N16", QStringLiteral("Перезагрузка контроллера..."));
    N17 = item(operations, "N17", QStringLiteral("Выключение контроллера..."));
    N20 = item(operations, "N20",
               QStringLiteral("Повторный поиск активных модулей по протоколу Tarnet"));
    N20->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));

    QMenu* modules = submenu("N8", QStringLiteral("Управление модулями"));
    N8 = modules->menuAction();
    N18 = item(modules, "N18", QStringLiteral("- Модули (протокол Tarnet+) -"));
    Parlo1 = item(modules, "Parlo1", QStringLiteral("Kordel.Parlo..."));
    S1 = item(modules, "S1", QStringLiteral("Управление дискретными выходами..."));
    VX2o1 = item(modules, "VX2o1", QStringLiteral("Управление аналоговыми выходами..."));
    N24 = item(modules, "N24", QStringLiteral("Управление терморегулятором..."));
    N19 = item(modules, "N19", QStringLiteral("Изменение параметров модуля..."));
    ModBus2 = item(modules, "ModBus2", QStringLiteral("- Модули (протокол ModBus) -"));
    ModBus1 = item(modules, "ModBus1", QStringLiteral("Изменение регистров модуля..."));

    // The caption is spelled with a Latin 'c', as the program always had it.
    N9 = bar->addAction(QStringLiteral("Наcтройки программы"));
    N9->setObjectName(QStringLiteral("N9"));

    QMenu* about = submenu("N7", QStringLiteral("О программе"));
    N7 = about->menuAction();
    N22 = item(about, "N22", QStringLiteral("Инструкция..."));
    N23 = item(about, "N23", QStringLiteral("О программе..."));
    SupportReport1 = item(about, "SupportReport1", QStringLiteral("Отчёт для поддержки..."));

    // Fixed states: nothing in the program shows or enables these.
    X101->setVisible(false);
    Parlo1->setVisible(false);
    for (QAction* fixed : {N18, ModBus2, N9}) {
        fixed->setEnabled(false);
    }
    // Items that show a window stay disabled until that window exists.
    for (QAction* window_item : {N2, N5, N3, N12, N21, X101, N11, Parlo1, S1, VX2o1, N24, N19,
                                 ModBus1, N23, Backup1, ExchangeMonitor1, VarWatch1}) {
        window_item->setEnabled(false);
    }

    connect(N6, &QAction::triggered, this, &Tmain_form::N6Click);
    connect(N10, &QAction::triggered, this, &Tmain_form::N10Click);
    connect(N16, &QAction::triggered, this, &Tmain_form::N16Click);
    connect(N17, &QAction::triggered, this, &Tmain_form::N17Click);
    connect(N20, &QAction::triggered, this, &Tmain_form::N20Click);
    connect(N22, &QAction::triggered, this, &Tmain_form::N22Click);
    connect(SupportReport1, &QAction::triggered, this, &Tmain_form::SupportReport1Click);
    connect(Reconnect1, &QAction::triggered, this, &Tmain_form::Reconnect1Click);
}

}  // namespace vx::ui
