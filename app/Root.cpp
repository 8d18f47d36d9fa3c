// Tmain_form: construction (FormCreate), first showing, closing, the grid
// refreshes, the manual, and the menu's maintenance commands.
#include "app/Root.h"

#include <algorithm>
#include <array>
#include <vector>

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>

#include "app/auto_reconnect.h"
#include "app/configurator_application.h"
#include "app/maintenance.h"
#include "app/module_refresh.h"
#include "commissioning/controller_texts.h"
#include "commissioning/support_report.h"
#include "files/atomic_file.h"
#include "serial/Cportfunc.h"
#include "ui/main_grids.h"
#include "ui/panel_status_bar.h"
#include "ui/program_version.h"
#include "ui/string_grid.h"
#include "ui/time_of_day.h"
#include "ui/user_prompts.h"
#include "ui/wait_cursor.h"

namespace vx::ui {

namespace {

const QString kRequestingData = QStringLiteral("Идет запрос данных...");
const QString kConnectionOpen = QStringLiteral("Открыто");
const QString kConnectionAbsent = QStringLiteral("Отсутствует");
const QString kNoAnswer = QStringLiteral("Контроллер не отвечает.");
// After a restart or a shut-down the controller has closed the connection.
const QString kReconnectHint = QStringLiteral(
    " Когда контроллер снова запустится, подключитесь к нему: меню Утилиты, пункт "
    "\"Подключиться к контроллеру\".");

// The support report's optional sections, in the order of their boxes.
enum SupportReportItem { report_log, report_settings, report_variables, report_size_limit };

// What the report will hold, shown before it is gathered.
CheckListRequest support_report_request(std::size_t exchanges, const QString& settings_path) {
    CheckListRequest request;
    request.caption = QStringLiteral("Отчёт для поддержки");
    request.text = QStringLiteral(
        "В отчёт войдут версии программы и контроллера, сведения о системе, службы,\n"
        "часы, задержка цикла, таблица модулей и статистика обмена. Кроме того:");
    request.items = {
        QStringLiteral("Журнал обмена (обменов: %1; данные загрузки программ и прошивок\n"
                       "сокращены до длины и первых байт)")
            .arg(exchanges),
        QStringLiteral("Настройки программы (файл %1)").arg(QFileInfo(settings_path).fileName()),
        QStringLiteral("Значения переменных контроллера"),
        QStringLiteral("Не больше 1 МБ (самые старые обмены не войдут)"),
    };
    request.checked = {true, true, true, true};
    request.note =
        QStringLiteral("Пути к папкам компьютера (и имя пользователя в них) в отчёт не пишутся.");
    request.accept_text = QStringLiteral("Сохранить...");
    return request;
}

void apply_support_report_choice(const QList<bool>& checked,
                                 vx::commissioning::SupportReportInputs& inputs) {
    const auto on = [&](SupportReportItem item) { return checked.value(item, true); };
    inputs.sections.exchange_log = on(report_log);
    inputs.sections.settings = on(report_settings);
    inputs.sections.variables = on(report_variables);
    inputs.size_limit = on(report_size_limit) ? vx::commissioning::kSupportReportSizeLimit : 0;
}

}  // namespace

// A running transfer: the progress goes to the status bar, and the commands
// that would interleave their packets with it are disabled until it ends.
class Tmain_form::Transfer final : public TransferView {
public:
    // close_question: what closing the window asks while this transfer runs.
    Transfer(Tmain_form& form, const QString& close_question) : form_(form) {
        form_.transfer_close_question_ = close_question;
        for (QAction* item : guarded()) {
            item->setEnabled(false);
        }
        // A modal window's event loop would run above the transfer's and
        // stall it until the window closed; the controller may drop a
        // transfer paused that long.
        for (QAction* item : form_.modal_items_) {
            if (item->isEnabled()) {
                item->setEnabled(false);
                disabled_modal_items_.push_back(item);
            }
        }
    }
    ~Transfer() override {
        for (QAction* item : guarded()) {
            item->setEnabled(true);
        }
        for (QAction* item : disabled_modal_items_) {
            item->setEnabled(true);
        }
        form_.transfer_close_question_.clear();
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void show_transfer_status(const QString& text) override { form_.set_operation_status(text); }
    void show_transfer_progress(int position, int size) override {
        QProgressBar* bar = form_.transfer_progress;
        if (size < 0) {
            bar->hide();
            return;
        }
        bar->setRange(0, std::max(size, 1));
        bar->setValue(size == 0 ? 1 : position);
        bar->show();
    }
    bool process_events_until_stop() override {
        QCoreApplication::processEvents();
        return form_.closing_;
    }

private:
    std::array<QAction*, 5> guarded() const {
        return {form_.N6, form_.N10, form_.N16, form_.N17, form_.Reconnect1};
    }
    Tmain_form& form_;
    LongOperation long_operation_{form_.context_};
    std::vector<QAction*> disabled_modal_items_;
};

Tmain_form::Tmain_form(WindowContext& context, QWidget* parent)
    : QMainWindow(parent),
      context_(context),
      connection_(context.connection()),
      prompts_(context.prompts()) {
    setObjectName(QStringLiteral("main_form"));
    setWindowTitle(kApplicationTitle);
    setFont(program_font());
    setCursor(Qt::PointingHandCursor);
    build_layout();
    build_menu();
    resize(811, 686);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
}

Tmain_form::~Tmain_form() = default;

void Tmain_form::FormCreate() {
    setWindowTitle(kApplicationTitle + QStringLiteral(" v.") + program_version_text());

    vx::connect_to_service(connection_, context_.port());
    if (!vx::is_connected(connection_)) {
        prompts_.message(PromptIcon::warning, kCaptionWarning,
                         QStringLiteral("Порт закрыт или уже открыт другой программой.\n"
                                        "Программа будет загружена, но может работать "
                                        "некорректно."));
    }
    show_connection_state();
    program_dialog_dir_ = QDir::currentPath() + QStringLiteral("/program/");
    context_.open_serial_port();

    AutoReconnect::Hooks hooks;
    hooks.connected = [this] { return vx::is_connected(connection_); };
    hooks.busy = [this] {
        return context_.long_operation_running() || !transfer_close_question_.isEmpty();
    };
    hooks.port = context_.port();
    hooks.adopt = [this](net::SocketHandle socket, uint16_t version) {
        vx::adopt_socket(connection_, socket);
        show_connection_state();
        start_on_new_connection();
        show_controller_version(version);
        Q_EMIT reconnected();
    };
    hooks.status = [this](const QString& text) {
        show_connection_state();
        set_operation_status(text);
    };
    auto_reconnect_ = new AutoReconnect(context_.settings(), std::move(hooks), this);
    AutoReconnect1->setChecked(auto_reconnect_->enabled());
    connect(AutoReconnect1, &QAction::toggled, auto_reconnect_, &AutoReconnect::set_enabled);
}

void Tmain_form::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_once_ && !event->spontaneous()) {
        shown_once_ = true;
        // After the window has appeared, so that a box shows over it.
        QMetaObject::invokeMethod(this, &Tmain_form::FormShow, Qt::QueuedConnection);
    }
}

void Tmain_form::FormShow() {
    show_controller_version();
    const uint16_t library = vx::library_version();
    if ((library & 0xFF) != 0) {
        Q_EMIT library_version_read(QStringLiteral("%1.%2").arg(library & 0xFF).arg(library >> 8));
    }
    Q_EMIT com_port_number_read(context_.com_port_number());
}

void Tmain_form::show_controller_version() {
    show_controller_version(vx::read_controller_version(connection_));
}

void Tmain_form::show_controller_version(uint16_t version) {
    const int major = version & 0xFF;
    const int minor = version >> 8;
    if (major != 0) {
        controller_version_text_ = QStringLiteral("%1.%2").arg(major).arg(minor);
        Q_EMIT controller_version_read(controller_version_text_);
        sb->set_panel_text(kVersionPanel, controller_version_text_);
    } else {
        prompts_.message(PromptIcon::warning, kCaptionWarning,
                         QStringLiteral("Нет ответа от контроллера."));
    }
}

void Tmain_form::Reconnect1Click() {
    // The connection is made once at start; after a controller restart this
    // makes it again, closing what is left of the old one first.
    vx::close_connection(connection_);
    vx::connect_to_service(connection_, context_.port());
    show_connection_state();
    const bool connected = vx::is_connected(connection_);
    set_operation_status(connected ? QString() : time_of_day_text() + kNoAnswer);
    start_on_new_connection();
    show_controller_version();  // a box says when nobody answers
    if (connected) {
        Q_EMIT reconnected();
    }
}

void Tmain_form::start_on_new_connection() {
    // The old connection's messages and marks say nothing about the new one, and the
    // first refresh after a restart compares with nothing.
    clear_variable_highlights();
    shown_values_.clear();
}

void Tmain_form::expect_controller_restart() {
    if (auto_reconnect_ != nullptr && auto_reconnect_->enabled()) {
        vx::close_connection(connection_);
        show_connection_state();
    }
}

void Tmain_form::closeEvent(QCloseEvent* event) {
    if (!transfer_close_question_.isEmpty() && !prompts_.ask(transfer_close_question_)) {
        event->ignore();  // the transfer goes on
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void Tmain_form::FormClose() {
    closing_ = true;  // a transfer in progress ends at its next packet
    vx::close_connection(connection_);
}

void Tmain_form::attach_form(QAction* item, QWidget* form, ShowMode mode) {
    connect(item, &QAction::triggered, form, [form, mode] {
        auto* dialog = qobject_cast<QDialog*>(form);
        if (mode == ShowMode::modal && dialog != nullptr) {
            dialog->exec();
            return;
        }
        form->setWindowModality(mode == ShowMode::modal ? Qt::ApplicationModal : Qt::NonModal);
        form->show();
        form->raise();
        form->activateWindow();
    });
    if (mode == ShowMode::modal) {
        modal_items_.push_back(item);
    }
    if (item != N9 && item != N18 && item != ModBus2) {
        item->setEnabled(true);
    }
}

void Tmain_form::set_operation_status(const QString& text) {
    sb->set_panel_text(kOperationPanel, text);
    sb->repaint_now();
}

void Tmain_form::show_connection_state() {
    sb->set_panel_text(kConnectionPanel,
                       vx::is_connected(connection_) ? kConnectionOpen : kConnectionAbsent);
}

void Tmain_form::Button2Click() {
    BusyButton busy(Button2);
    set_operation_status(kRequestingData);
    const uint8_t* values = vx::read_variables(connection_);
    if (values == nullptr) {
        set_operation_status(time_of_day_text() + kOperationFailed);
        show_connection_state();
        return;
    }
    show_variable_values(variable_values(values));
    set_operation_status(time_of_day_text() + kOperationDone);
}

void Tmain_form::show_variable_values(const std::vector<uint16_t>& values) {
    if (values.size() != static_cast<std::size_t>(kVariableCount)) {
        return;
    }
    show_variables(*sg1, values);
    highlight_variables(*sg1, changed_variables(shown_values_, values));
    shown_values_ = values;
}

void Tmain_form::clear_variable_highlights() {
    highlight_variables(*sg1, {});
}

void Tmain_form::Button1Click() {
    BusyButton busy(Button1);
    set_operation_status(kRequestingData);
    const ModuleRefresh refresh =
        read_module_table(connection_, [this](const QString& text) { set_operation_status(text); });
    if (refresh.module_count >= 0) {
        sg2->set_row_count(module_grid_row_count(refresh.module_count));
    }
    if (refresh.outcome == ModuleRefreshOutcome::no_modules ||
        refresh.outcome == ModuleRefreshOutcome::done) {
        show_module_rows(*sg2, refresh.rows);
        context_.set_module_names(refresh.names);
    }
    set_operation_status(time_of_day_text() + module_refresh_result(refresh.outcome));
    if (refresh.outcome == ModuleRefreshOutcome::count_failed) {
        show_connection_state();
    }
}

void Tmain_form::sg1SelectCell(int col, int row) {
    sg1->set_cell(0, 0, selected_variable_text(col, row));
}

void Tmain_form::AddToWatch1Click() {
    const std::vector<int> variables = variables_of_cells(sg1->selected_cells());
    if (!variables.empty()) {
        Q_EMIT watch_requested(variables);
    }
}

void Tmain_form::N6Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Program file (*.prg.cpl)|*.prg.cpl");
    request.default_suffix = QStringLiteral("cpl");
    request.directory = program_dialog_dir_;
    const std::optional<QString> path = prompts_.open_file(request);
    if (!path || refuse_unsendable_file(prompts_, *path)) {
        return;
    }
    const bool reset = prompts_.ask(
        QStringLiteral("Сбрость значения всех таймеров и переменных после загрузки программы?"));
    if (!prompts_.ask(QStringLiteral(
            "Процедура загрузки программы может занять несколько минут.\nВо время загрузки VX "
            "Configurator не сможет реагировать на действия пользователя.\nНачать загрузку?"))) {
        return;
    }
    Transfer transfer(*this, QStringLiteral("Идёт загрузка программы. Прервать загрузку и "
                                            "закрыть программу?"));
    send_program_file(connection_, prompts_, transfer, *path, reset);
}

void Tmain_form::N10Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Update file (*.upd)|*.upd");
    request.default_suffix = QStringLiteral("cpl");
    const std::optional<QString> path = prompts_.open_file(request);
    if (!path || refuse_unsendable_file(prompts_, *path)) {
        return;
    }
    if (!prompts_.ask(QStringLiteral(
            "Процедура загрузки прошивки может занять около двух часов.\nВо время загрузки VX "
            "Configurator не сможет реагировать на действия пользователя.\nБудьте осторожны, "
            "используйте прошивки загруженые только с сайта производителя.\nЗагрузка "
            "неправильной прошивки может привести к выходу контроллера из строя.\nНачать "
            "загрузку?"))) {
        return;
    }
    Transfer transfer(*this, QStringLiteral("Идёт загрузка прошивки. Прервать загрузку и "
                                            "закрыть программу?"));
    if (send_firmware_file(connection_, prompts_, transfer, *path) == TransferOutcome::finished) {
        expect_controller_restart();
        set_operation_status(time_of_day_text() + kReconnectHint);
    }
}

void Tmain_form::N16Click() {
    if (!prompts_.ask(QStringLiteral(
            "Процедура перезагрузки контроллера программы может занять несколько минут.\nВо время "
            "перезагрузки контроллер не сможет управлять системой автоматизации.\nНачать "
            "перезагрузку?"))) {
        return;
    }
    if (vx::reboot_controller(connection_) == 0) {
        prompts_.information(
            QStringLiteral(
                "Процедура перезагрузки контроллера начата.\nПожалуйста, закройте программу и "
                "попробуйте загрузить ее через несколько минут(3-5).") +
            QString::fromUtf8(vx::commissioning::kReconnectSentence));
        expect_controller_restart();
        set_operation_status(time_of_day_text() + kReconnectHint);
    } else {
        prompts_.error(kNoAnswer);
    }
}

void Tmain_form::N17Click() {
    if (!prompts_.ask(QStringLiteral(
            "Процедура выключения может занять несколько минут.\nДля его повторного вклчения "
            "необходимо будет нажать кнопку включения на самом контроллере.\nНачать "
            "отключение?"))) {
        return;
    }
    if (vx::serial_shutdown(context_.serial_port()) == 0) {
        prompts_.information(QStringLiteral("Процедура отключения контроллера начата."));
        set_operation_status(time_of_day_text() + kReconnectHint);
    } else {
        prompts_.error(kNoAnswer);
    }
}

void Tmain_form::N20Click() {
    vx::rescan_bus(connection_);  // nothing is shown, whatever the result
}

void Tmain_form::N22Click() {
    context_.open_manual();
}

// Shows what the report will hold, gathers it with its steps in the status panel, writes
// it where the user chose and says where; a section the controller did not answer is in
// the file with its error.
void Tmain_form::SupportReport1Click() {
    vx::commissioning::SupportReportInputs inputs;
    const std::optional<QList<bool>> choice = prompts_.choose_items(
        support_report_request(context_.exchange_log().records().size(), context_.settings_path()));
    if (!choice) {
        return;
    }
    apply_support_report_choice(*choice, inputs);
    FileDialogRequest request;
    request.filter = QStringLiteral("Файлы JSON (*.json)");
    request.default_suffix = QStringLiteral("json");
    request.file_name = QString::fromStdString(vx::commissioning::support_report_file_name());
    const std::optional<QString> path = prompts_.save_file(request);
    if (!path) {
        return;
    }
    SupportReport1->setEnabled(false);
    const WaitCursor wait;
    const LongOperation long_operation(context_);
    inputs.program_version = program_version_text().toStdString();
    inputs.operating_system =
        (QSysInfo::prettyProductName() + QStringLiteral(", ") + QSysInfo::kernelType() +
         QStringLiteral(" ") + QSysInfo::kernelVersion() + QStringLiteral(", ") +
         QSysInfo::currentCpuArchitecture())
            .toStdString();
    inputs.settings_path = context_.settings_path().toStdString();
    inputs.home_dir = QDir::homePath().toStdString();
    inputs.exchange_log = &context_.exchange_log();
    vx::commissioning::StepObserver progress;
    progress.progress = [this](const std::string& step, int done, int total) {
        set_operation_status(QStringLiteral("Отчёт для поддержки: %1 (%2 из %3)")
                                 .arg(QString::fromStdString(step))
                                 .arg(done)
                                 .arg(total));
        QCoreApplication::processEvents();
    };
    const std::string report =
        vx::commissioning::gather_support_report(connection_, inputs, progress);
    const std::string failure = vx::files::write_file_atomically(path->toStdString(), report);
    set_operation_status(QString());
    SupportReport1->setEnabled(true);
    if (!failure.empty()) {
        prompts_.error(QString::fromStdString(failure));
        return;
    }
    prompts_.information(QStringLiteral("Отчёт для поддержки сохранён в файл\n%1\n(%2 КБ).")
                             .arg(QDir::toNativeSeparators(*path))
                             .arg((report.size() + 1023) / 1024));
}

}  // namespace vx::ui

#include "moc_Root.cpp"
