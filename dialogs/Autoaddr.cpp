// Taaddr: the wizard's four pages, its result grid and its handlers; the controller
// work is in the commissioning library.
#include "dialogs/Autoaddr.h"

#include <algorithm>
#include <string>

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "compiler/Utils.h"
#include "ui/dialog_controls.h"
#include "ui/string_grid.h"
#include "ui/user_prompts.h"
#include "ui/wait_cursor.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace cm = vx::commissioning;
using cm::kFirstAddress;
using cm::kLastAddress;

namespace {

constexpr int kWizardWidth = 560;
constexpr int kResultGridWidth = 420;
const QString kFinishText = QStringLiteral("Завершить мастер регистрации новых модулей");
const QString kExitText = QStringLiteral("Выход");
const QString kServicesNotRestoredText = QStringLiteral(
    "Не удалось снова включить службы контроллера.\n"
    "Включите их в меню Операции, пункт "
    "\"Настройка параметров контроллера...\".");

QLabel* make_text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// An error text that is hidden until needed but keeps its place, so that the
// page does not jump when it appears.
QLabel* make_error_text(const QString& name, const QString& text, QWidget* parent) {
    QLabel* label = make_text(text, parent);
    label->setObjectName(name);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
    return label;
}

// Address, firmware version, name.
constexpr int kResultColumns = 3;
// 64 + 64 for the first two columns and 10 for the grid's frame and lines.
constexpr int kNarrowColumn = 64;
constexpr int kNameColumnAllowance = 2 * kNarrowColumn + 10;

int first_empty_row(const StringGrid& grid) {
    int row = 1;
    while (row < grid.row_count() && !grid.cell(0, row).isEmpty()) {
        ++row;
    }
    return row;
}

}  // namespace

QString module_name(const vx::ModuleInfo& info) {
    return QString::fromStdString(vx::module_type_name(info.type_code, info.subtype));
}

void set_up_result_grid(StringGrid& grid) {
    grid.set_col_count(kResultColumns);
    grid.set_col_width(0, kNarrowColumn);
    grid.set_col_width(1, kNarrowColumn);
    grid.set_col_width(2, grid.width() - kNameColumnAllowance);
    grid.set_cell(0, 0, QStringLiteral("Номер"));
    grid.set_cell(1, 0, QStringLiteral("Версия"));
    grid.set_cell(2, 0, QStringLiteral("Наименование"));
    reset_result_grid(grid);
}

void reset_result_grid(StringGrid& grid) {
    grid.set_row_count(2);
    grid.clear_row(1);
}

int list_module(StringGrid& grid, const cm::FoundModule& module) {
    int row = module.module_count;
    if (row >= 1) {
        grid.set_row_count(row + 1);
    } else {
        row = first_empty_row(grid);
        grid.set_row_count(std::max(grid.row_count(), row + 1));
    }
    grid.set_cell(0, row, QString::number(module.address));
    grid.set_cell(1, row, QString::number(module.info.version));
    grid.set_cell(2, row, module_name(module.info));
    return row;
}

int listed_module_count(const StringGrid& grid) {
    int count = 0;
    for (int row = 1; row < grid.row_count(); ++row) {
        if (!grid.cell(0, row).isEmpty()) {
            ++count;
        }
    }
    return count;
}

Taaddr::Taaddr(WindowContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("aaddr"));
    setWindowTitle(QStringLiteral("Мастер адресации модулей"));
    pc = new QStackedWidget(this);
    pc->setObjectName(QStringLiteral("pc"));
    pc->addWidget(build_start_page());
    pc->addWidget(build_search_page());
    pc->addWidget(build_registered_page());
    pc->addWidget(build_final_page());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pc);
    setFixedWidth(kWizardWidth);

    // Create: the name column takes what the two narrow ones leave.
    sg1->setFixedWidth(kResultGridWidth);
    set_up_result_grid(*sg1);

    connect(Button1, &QPushButton::clicked, this, &Taaddr::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Taaddr::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Taaddr::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Taaddr::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Taaddr::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &Taaddr::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &Taaddr::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &Taaddr::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &Taaddr::Button9Click);
}

QWidget* Taaddr::build_start_page() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(make_text(
        QStringLiteral("Этот мастер поможет вам зарегистрировать все модули, работающие по "
                       "протоколу Tarnet+ и подключенные к системе."),
        page));
    layout->addWidget(make_text(QStringLiteral("Важно: Модули работающие по протоколу ModBus не "
                                               "адресуются данным мастером."),
                                page));
    layout->addWidget(make_text(
        QStringLiteral("Важно: Для начала процесса адресации контроллеру потребуется очистить "
                       "информацию о всех зарегистрированных модулях."),
        page));
    no_reply_text = make_error_text(
        QStringLiteral("no_reply_text"),
        QStringLiteral("Ошибка: Нет отклика от контроллера. Возможные причины: программа "
                       "контроллера не запущена, программа контроллера не может подключиться к "
                       "порту Com2, массовый отказ модулей шины Tarnet+. Обратитесь к разделу "
                       "документации \"Решение проблем\"."),
        page);
    set_error_colour(*no_reply_text);
    blocked_port_text = make_error_text(
        QStringLiteral("blocked_port_text"),
        QStringLiteral("Ошибка: Возможность обращения к коммуникационному порту контроллера "
                       "заблокирована."),
        page);
    set_error_colour(*blocked_port_text);
    layout->addWidget(no_reply_text);
    layout->addWidget(blocked_port_text);
    layout->addStretch(1);
    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Начать процесс адресации"));
    Button2 = make_button(QStringLiteral("Button2"), kExitText);
    layout->addLayout(right_aligned_row({Button1, Button2}));
    return page;
}

QWidget* Taaddr::build_search_page() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(make_text(QStringLiteral("Для регистрации модуля следует воспользоваться "
                                               "автопоиском или выполнить его вручную:"),
                                page));
    Button3 = make_button(QStringLiteral("Button3"), QStringLiteral("Автопоиск"));
    layout->addLayout(left_aligned_row({Button3}));

    auto* manual = new QLabel(QStringLiteral("Ручной поиск:"), page);
    QFont bold = manual->font();
    bold.setBold(true);
    manual->setFont(bold);
    layout->addWidget(manual);

    // The steps on the left, each with its control on the right.
    auto* steps = new QGridLayout;
    steps->setColumnStretch(0, 1);
    auto add_step = [&](const QString& text, QWidget* control) {
        const int row = steps->rowCount();
        steps->addWidget(make_text(text, page), row, 0);
        if (control != nullptr) {
            steps->addWidget(control, row, 1, Qt::AlignTop);
        }
    };
    ud1 = make_spinner(QStringLiteral("ud1"), kFirstAddress, kLastAddress, kFirstAddress);
    ud1->setMinimumWidth(64);
    Button4 = make_button(QStringLiteral("Button4"), QStringLiteral("Проверка"));
    Button5 = make_button(QStringLiteral("Button5"), QStringLiteral("Найти"));
    add_step(QStringLiteral("1) Выберите номер, который будет присвоен найденному модулю."), ud1);
    add_step(QStringLiteral("2) Если в системе используются модули с ручной установкой адреса, "
                            "нажмите кнопку \"Проверка\" для их обнаружения. Если модуль не был "
                            "обнаружен, перейдите к п.3."),
             Button4);
    add_step(QStringLiteral("3) Нажмите и отпустие кнопку автоматической адресации на "
                            "регистрируемом модуле. "),
             nullptr);
    add_step(QStringLiteral("4) Нажмите кнопку \"Найти\"."), Button5);
    layout->addLayout(steps);

    not_found_text = make_error_text(
        QStringLiteral("not_found_text"),
        QStringLiteral("Ошибка: Новых модулей не обнаружено, попробуйте повторить попытку."), page);
    layout->addWidget(not_found_text);
    layout->addWidget(make_text(
        QStringLiteral("Внимание: Зарегистрировать можно только те модули, которые еще не "
                       "проходили регистрацию. Их можно определить по частому миганию "
                       "светодиода Active ( несколько раз в секунду )"),
        page));
    layout->addStretch(1);
    Button6 = make_button(QStringLiteral("Button6"), kFinishText);
    layout->addLayout(right_aligned_row({Button6}));
    return page;
}

QWidget* Taaddr::build_registered_page() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(make_text(QStringLiteral("В системе зарегистрирован новый модуль:"), page));
    auto* values = new QGridLayout;
    values->setColumnStretch(1, 1);
    module_number = make_value_label(QStringLiteral("module_number"), page);
    module_name_text = make_value_label(QStringLiteral("module_name_text"), page);
    module_version = make_value_label(QStringLiteral("module_version"), page);
    add_value_row(*values, QStringLiteral("Номер модуля:"), module_number);
    add_value_row(*values, QStringLiteral("Название модуля:"), module_name_text);
    add_value_row(*values, QStringLiteral("Версия прошивки:"), module_version);
    layout->addLayout(values);
    Button7 =
        make_button(QStringLiteral("Button7"), QStringLiteral("Зарегистрировать еще один модуль"));
    layout->addLayout(left_aligned_row({Button7}));
    layout->addWidget(make_text(
        QStringLiteral("Если Вы хотите зарегистрировать в системе следующий модуль нажмите "
                       "кнопку \"Зарегистрировать еще один модуль\". Для завершения мастера "
                       "адресации модулей нажмите кнопку \"Завершить мастер регистрации новых "
                       "модулей\"."),
        page));
    layout->addStretch(1);
    Button8 = make_button(QStringLiteral("Button8"), kFinishText);
    layout->addLayout(right_aligned_row({Button8}));
    return page;
}

QWidget* Taaddr::build_final_page() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));
    auto* layout = new QVBoxLayout(page);
    module_count_text = make_text(QString(), page);
    module_count_text->setObjectName(QStringLiteral("module_count_text"));
    layout->addWidget(module_count_text);
    layout->addWidget(make_text(QStringLiteral("В системе зарегистрированы:"), page));
    sg1 = new StringGrid(3, 2, 0, 1, page);
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setMinimumHeight(180);
    // The name column ends at the grid's edge; under a vertical scroll bar it
    // only loses blank space, so there is nothing to scroll sideways to.
    sg1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(sg1, 1, Qt::AlignHCenter);
    Button9 = make_button(QStringLiteral("Button9"), kExitText);
    layout->addLayout(right_aligned_row({Button9}));
    return page;
}

void Taaddr::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
    }
    QDialog::showEvent(event);
}

void Taaddr::FormShow() {
    show_page(kStartPage);
    reset_result_grid(*sg1);
    ud1->setMinimum(kFirstAddress);
    ud1->setValue(kFirstAddress);
    for (QLabel* text : {no_reply_text, blocked_port_text, not_found_text}) {
        text->hide();
    }
}

void Taaddr::Button1Click() {
    if (pc->currentIndex() != kStartPage) {
        return;
    }
    cm::StartOutcome outcome;
    {
        WaitCursor busy;
        outcome = cm::begin_addressing(context_.connection(), saved_);
    }
    // Neither failure hides the other's text: both may stay on show.
    // Crosswise on purpose: no reply shows the blocked-port text, a controller
    // that is not ready the no-reply text, as installers have always seen them.
    switch (outcome) {
        case cm::StartOutcome::no_reply:
            blocked_port_text->show();
            break;
        case cm::StartOutcome::not_ready:
            no_reply_text->show();
            break;
        case cm::StartOutcome::ready:
            no_reply_text->hide();
            blocked_port_text->hide();
            show_page(kSearchPage);
            break;
    }
}

void Taaddr::Button2Click() {
    reject();
}

void Taaddr::Button3Click() {
    run_with_window_disabled(*this, [this] {
        WaitCursor busy;
        const LongOperation long_operation(context_);
        searching_ = true;
        // The sweep starts where a manual registration left the lower bound:
        // addresses below it are taken by this run's modules.
        ud1->setValue(ud1->minimum());
        const int first = ud1->value();
        cm::StepObserver observer;
        observer.progress = [this, first](const std::string&, int tried, int) {
            ud1->setValue(first + tried);
            QCoreApplication::processEvents();
        };
        cm::sweep_addresses(
            context_.connection(), first,
            [this](const cm::FoundModule& module) { list_module(*sg1, module); }, observer);
        searching_ = false;
        finish();
    });
}

void Taaddr::Button4Click() {
    register_at_spinner();
}

void Taaddr::Button5Click() {
    register_at_spinner();
}

void Taaddr::Button6Click() {
    finish();
}

void Taaddr::Button7Click() {
    show_page(kSearchPage);
    ud1->setFocus();
    ud1->selectAll();
}

void Taaddr::Button8Click() {
    finish();
}

void Taaddr::Button9Click() {
    reject();
}

void Taaddr::register_at_spinner() {
    const int address = ud1->value();
    std::optional<cm::FoundModule> module;
    {
        WaitCursor busy;
        module = cm::register_module(context_.connection(), address);
    }
    if (!module) {
        not_found_text->show();
        return;
    }
    not_found_text->hide();
    module_number->setText(QString::number(address));
    module_name_text->setText(module_name(module->info));
    module_version->setText(QString::number(module->info.version));
    list_module(*sg1, *module);
    show_page(kRegisteredPage);
    // The next registration proposes the next address and cannot go below it.
    set_address(address + 1);
}

void Taaddr::finish() {
    module_count_text->setText(
        QStringLiteral("Мастер регистрации модулей завершен. Найдено модулей: ") +
        QString::number(listed_module_count(*sg1)));
    show_page(kFinalPage);
    vx::rescan_bus(context_.connection());
}

void Taaddr::set_address(int value) {
    ud1->setValue(value);
    ud1->setMinimum(ud1->value());
}

void Taaddr::show_page(WizardPage page) {
    pc->setCurrentIndex(page);
    // Enter presses "Проверка" on page 2 and "Зарегистрировать еще один модуль" on page 3.
    if (page == kSearchPage) {
        Button4->setDefault(true);
    } else if (page == kRegisteredPage) {
        Button7->setDefault(true);
    } else {
        Button4->setDefault(false);
        Button7->setDefault(false);
    }
}

void Taaddr::keyPressEvent(QKeyEvent* event) {
    // Esc is "Выход" of the first page only; elsewhere the wizard is left by its buttons.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (pc->currentIndex() == kStartPage) {
            Button2->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Taaddr::done(int result) {
    if (searching_) {
        return;  // the sweep ends on page 4 by itself
    }
    FormClose();
    QDialog::done(result);
}

void Taaddr::FormClose() {
    // A failed Start that had already switched the services off also puts them
    // back: the controller must not be left with bus polling and the program stopped.
    if (pc->currentIndex() != kStartPage || saved_.switched_off) {
        bool restored = false;
        {
            WaitCursor busy;
            restored = cm::restore_services(context_.connection(), saved_);
        }
        // Left off, the house has no bus polling and no program running.
        if (!restored) {
            context_.prompts().message(PromptIcon::warning, kCaptionWarning,
                                       kServicesNotRestoredText);
        }
    }
}

}  // namespace vx::ui

#include "moc_Autoaddr.cpp"
