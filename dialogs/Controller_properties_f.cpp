// Tc_prop: the services dialog's tabs and handlers; its rules are in controller_services.cpp.
#include "dialogs/Controller_properties_f.h"

#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/controller_services.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/user_prompts.h"
#include "ui/wait_cursor.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

// Top to bottom on the tab: bus polling, the user program, MySQL.
constexpr std::array<int, kServiceCount> kServiceOrder = {0, 2, 1};
constexpr int kBottomStripHeight = 41;

}  // namespace

Tc_prop::Tc_prop(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), clock_([] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("c_prop"));
    setWindowTitle(QStringLiteral("Управление службами контроллера"));

    pc = new QTabWidget(this);
    pc->setObjectName(QStringLiteral("pc"));
    TabSheet1 = build_services_tab();
    TabSheet2 = build_clock_tab();
    TabSheet3 = build_other_tab();
    pc->addTab(TabSheet1, QStringLiteral("Службы"));
    pc->addTab(TabSheet2, QStringLiteral("Дата и время"));
    pc->addTab(TabSheet3, QStringLiteral("Прочие"));
    TabSheet2->installEventFilter(this);

    // The strip has no layout: FormResize places the button itself.
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kBottomStripHeight);
    close_button = make_button(QStringLiteral("close_button"), QStringLiteral("Закрыть"), Panel1);
    close_button->resize(close_button->sizeHint().expandedTo(QSize(75, 25)));
    close_button->move(0, (kBottomStripHeight - close_button->height()) / 2);

    auto* tabs = new QVBoxLayout;
    tabs->setContentsMargins(8, 8, 8, 0);
    tabs->addWidget(pc);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(tabs, 1);
    layout->addWidget(Panel1);
    resize(470, 380);

    for (int service = 0; service < kServiceCount; ++service) {
        const ServiceGroup& group = services[service];
        connect(group.query, &QPushButton::clicked, this, [this, service] { QueryClick(service); });
        connect(group.on, &QPushButton::clicked, this,
                [this, service] { SwitchClick(service, true); });
        connect(group.off, &QPushButton::clicked, this,
                [this, service] { SwitchClick(service, false); });
    }
    connect(set_time_button, &QPushButton::clicked, this, &Tc_prop::SetTimeClick);
    connect(delay_query_button, &QPushButton::clicked, this, &Tc_prop::DelayQueryClick);
    connect(delay_apply_button, &QPushButton::clicked, this, &Tc_prop::DelayApplyClick);
    connect(close_button, &QPushButton::clicked, this, &Tc_prop::close);
}

QWidget* Tc_prop::build_services_tab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet1"));
    auto* layout = new QVBoxLayout(tab);
    const std::array<QString, kServiceCount> captions = {
        QStringLiteral("Опрос состояния шинных устройств по протоколу Tarnet+"),
        QStringLiteral("Работа с MySQL (выгрузка данных, получение команд)"),
        QStringLiteral("Выполнение пользовательской программы")};
    for (int service : kServiceOrder) {
        services[service] = make_service_group(service, captions[service], tab);
        layout->addWidget(services[service].box);
    }
    layout->addStretch(1);
    return tab;
}

Tc_prop::ServiceGroup Tc_prop::make_service_group(int service, const QString& caption,
                                                  QWidget* parent) {
    const QString prefix = QStringLiteral("service%1_").arg(service);
    ServiceGroup group;
    group.box = new QGroupBox(QLatin1Char(' ') + caption + QLatin1Char(' '), parent);
    group.box->setObjectName(prefix + QStringLiteral("box"));
    auto* layout = new QGridLayout(group.box);
    layout->addWidget(new QLabel(QStringLiteral("Текущее состояние:"), group.box), 0, 0);
    group.state = make_value_label(prefix + QStringLiteral("state"), group.box);
    group.state->setText(kStateUnknown);
    layout->addWidget(group.state, 0, 1, 1, 3);
    group.query = make_button(prefix + QStringLiteral("query"), QStringLiteral("Запрос"));
    group.on = make_button(prefix + QStringLiteral("on"), QStringLiteral("Включить"));
    group.off = make_button(prefix + QStringLiteral("off"), QStringLiteral("Выключить"));
    layout->addWidget(group.query, 1, 1);
    layout->addWidget(group.on, 1, 2);
    layout->addWidget(group.off, 1, 3);
    layout->setColumnStretch(0, 1);
    return group;
}

QWidget* Tc_prop::build_clock_tab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(tab);
    auto* times = new QGridLayout;
    times->setColumnStretch(1, 1);
    local_time = make_value_label(QStringLiteral("local_time"), tab);
    controller_time = make_value_label(QStringLiteral("controller_time"), tab);
    add_value_row(*times, QStringLiteral("Локальное время:"), local_time);
    add_value_row(*times, QStringLiteral("Время контроллера:"), controller_time);
    layout->addLayout(times);
    set_time_button =
        make_button(QStringLiteral("set_time_button"), QStringLiteral("Установить текущее время"));
    layout->addLayout(left_aligned_row({set_time_button}));
    auto* note = new QLabel(QStringLiteral("Время отображается на момент открытия вкладки."), tab);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    return tab;
}

QWidget* Tc_prop::build_other_tab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(tab);
    auto* caption = new QLabel(QStringLiteral("Задержка в конце цикла отработки программы"), tab);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    delay_query_button = make_button(QStringLiteral("delay_query_button"), QStringLiteral("Опрос"));
    ud1 = make_spinner(QStringLiteral("ud1"), kMinCycleDelay, kMaxCycleDelay, kMinCycleDelay);
    ud1->setMinimumWidth(56);
    caption->setBuddy(ud1);
    delay_apply_button =
        make_button(QStringLiteral("delay_apply_button"), QStringLiteral("Применить"));
    layout->addLayout(left_aligned_row({delay_query_button, ud1, delay_apply_button}));
    layout->addStretch(1);
    return tab;
}

void Tc_prop::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    // The old states never show while the queries run, and the queries wait
    // until the dialog has been painted: a silent controller holds them 3 s.
    reset_state_texts();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) {
                FormShow();
            }
        },
        Qt::QueuedConnection);
}

bool Tc_prop::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabSheet2 && event->type() == QEvent::Show && !event->spontaneous()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (TabSheet2->isVisible()) {
                    TabSheet2Show();
                }
            },
            Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void Tc_prop::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void Tc_prop::FormResize() {
    close_button->move(centred_left(width(), close_button->width()), close_button->y());
}

void Tc_prop::reset_state_texts() {
    for (const ServiceGroup& group : services) {
        group.state->setText(kStateUnknown);
    }
}

void Tc_prop::FormShow() {
    error_flag_ = false;
    reset_state_texts();
    // A silent controller costs one time-out: the sequence stops at the first error.
    for (int service : kServiceOrder) {
        QueryClick(service);
        if (error_flag_) {
            return;
        }
    }
}

void Tc_prop::QueryClick(int service) {
    int result;
    {
        WaitCursor busy;
        result = vx::query_service_state(context_.connection(), service);
    }
    const QString text = service_state_text(result);
    services[service].state->setText(text);
    services[service].state->repaint();  // the next query may block for its time-out
    error_flag_ = text == kStateError;
}

void Tc_prop::SwitchClick(int service, bool on) {
    const int wanted = on ? 1 : 0;
    WaitCursor busy;
    if (vx::set_service_state(context_.connection(), service, wanted) != wanted) {
        services[service].state->setText(kStateError);
        return;
    }
    QueryClick(service);
    vx::commit_settings(context_.connection());
}

void Tc_prop::TabSheet2Show() {
    local_time->setText(date_time_text(clock_()));
    vx::ControllerClock clock;
    {
        WaitCursor busy;
        clock = vx::read_controller_clock(context_.connection());
    }
    if (const std::optional<QDateTime> value = controller_date_time(clock)) {
        controller_time->setText(date_time_text(*value));
        return;
    }
    // The previous text stays; the reply is reported as the program reports an
    // error that reaches it from below.
    context_.prompts().message(
        PromptIcon::error, kApplicationTitle,
        QStringLiteral("Контроллер сообщил недопустимые дату и время: ") + raw_clock_text(clock));
}

void Tc_prop::SetTimeClick() {
    WaitCursor busy;
    write_clock(context_.connection(), clock_());
}

void Tc_prop::DelayQueryClick() {
    int delay;
    {
        WaitCursor busy;
        delay = vx::read_cycle_delay(context_.connection());
    }
    if (delay >= 0) {  // without a reply the spinner keeps what it showed
        ud1->setValue(delay);
    }
}

void Tc_prop::DelayApplyClick() {
    WaitCursor busy;
    vx::set_cycle_delay(context_.connection(), ud1->value());
}

}  // namespace vx::ui

#include "moc_Controller_properties_f.cpp"
