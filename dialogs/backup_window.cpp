// The configuration backup window: the commissioning library reads, compares and
// writes; this window asks for sections and files and shows the rows.
#include "dialogs/backup_window.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <utility>

#include <QCheckBox>
#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_file.h"
#include "commissioning/configuration_texts.h"
#include "commissioning/controller_texts.h"
#include "commissioning/file_against_controller.h"
#include "commissioning/module_table.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

const QString kFileFilter = QStringLiteral("Файл конфигурации (*.json)|*.json");
constexpr int kResultColumn = 4;  // shown with the restore rows only
constexpr int kControllerColumn = 3;
const QStringList kColumns{QStringLiteral("Раздел"), QStringLiteral("Элемент"),
                           QStringLiteral("В файле"), QStringLiteral("В контроллере"),
                           QStringLiteral("Итог")};
const QStringList kFilesColumns{kColumns[0], kColumns[1], QStringLiteral("В первом файле"),
                                QStringLiteral("Во втором файле")};

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// The installer's words for the library's value texts.
QString value_text(const std::string& value) {
    if (value == "on") {
        return QStringLiteral("включена");
    }
    if (value == "off") {
        return QStringLiteral("выключена");
    }
    if (value == "none") {
        return QStringLiteral("нет");
    }
    return text(value);
}

QString caption(cm::ConfigSection section) {
    return QString::fromUtf8(cm::section_caption(section));
}

// What became of a row, in the order of WriteOutcome; a row left unticked is "не записано" too.
const char* const kOutcomeTexts[] = {"не записано", "записано", "проверено", "ошибка"};

QString outcome_text(const cm::RestoreRow& row) {
    const cm::WriteOutcome outcome = row.selected ? row.outcome : cm::WriteOutcome::planned;
    return QString::fromUtf8(kOutcomeTexts[static_cast<int>(outcome)]);
}

// A row whose controller value still differs from the file after a write.
const QColor kStillDiffers(178, 34, 34);

// "Различий: 3 (Службы: 1, ...)." in the order the rows come.
QString count_line(const std::vector<const cm::Difference*>& rows, const QString& when_equal) {
    if (rows.empty()) {
        return when_equal;
    }
    QStringList order;
    QHash<QString, int> counts;
    for (const cm::Difference* d : rows) {
        const QString section = caption(d->section);
        if (!counts.contains(section)) {
            order << section;
        }
        ++counts[section];
    }
    QStringList parts;
    for (const QString& section : order) {
        parts << QStringLiteral("%1: %2").arg(section).arg(counts[section]);
    }
    return QStringLiteral("Различий: %1 (%2).")
        .arg(rows.size())
        .arg(parts.join(QStringLiteral(", ")));
}

}  // namespace

QString backup_default_file_name() {
    return QStringLiteral("vx-config-%1.json")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
}

BackupWindow::BackupWindow(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("config_backup"));
    setFont(program_font());
    setWindowTitle(QStringLiteral("Резервная копия конфигурации"));
    build_layout();
    resize(640, 560);
}

void BackupWindow::build_layout() {
    auto* sections = new QGroupBox(QStringLiteral("Разделы"));
    auto* grid = new QGridLayout(sections);
    auto box = [&](const char* name, const QString& caption, int row) {
        auto* check = new QCheckBox(caption);
        check->setObjectName(QLatin1String(name));
        check->setChecked(true);
        grid->addWidget(check, row, 0);
        return check;
    };
    services_box = box("services_box", caption(cm::ConfigSection::services), 0);
    delay_box = box("delay_box", caption(cm::ConfigSection::cycle_delay), 1);
    start_values_box = box("start_values_box", caption(cm::ConfigSection::start_values), 2);
    poll_box = box("poll_box", caption(cm::ConfigSection::poll_frequencies), 3);
    x10_box = box("x10_box", caption(cm::ConfigSection::x10), 4);
    parameters_box = box("parameters_box", caption(cm::ConfigSection::parameters), 5);
    modules_list = new QListWidget;
    modules_list->setObjectName(QStringLiteral("modules_list"));
    grid->addWidget(modules_list, 0, 1, 5, 1);
    modules_button =
        make_button(QStringLiteral("modules_button"), QStringLiteral("Список модулей"));
    grid->addWidget(modules_button, 5, 1);

    save_button = make_button(QStringLiteral("save_button"), QStringLiteral("Сохранить копию..."));
    compare_button =
        make_button(QStringLiteral("compare_button"), QStringLiteral("Сравнить с контроллером..."));
    compare_files_button =
        make_button(QStringLiteral("compare_files_button"), QStringLiteral("Сравнить с файлом..."));
    restore_button =
        make_button(QStringLiteral("restore_button"), QStringLiteral("Восстановить..."));
    write_button = make_button(QStringLiteral("write_button"), QStringLiteral("Записать"));
    stop_button = make_button(QStringLiteral("stop_button"), QStringLiteral("Стоп"));
    write_button->setEnabled(false);
    stop_button->setEnabled(false);

    progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, 1);
    progress->setValue(0);
    step_label = make_status_line(QStringLiteral("step_label"));

    differences = new QTableWidget(0, 4);
    differences->setObjectName(QStringLiteral("differences"));
    differences->setHorizontalHeaderLabels(kColumns);
    differences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    differences->horizontalHeader()->setStretchLastSection(true);
    differences->verticalHeader()->hide();
    summary = make_status_line(QStringLiteral("summary"));
    summary->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sections);
    layout->addLayout(left_aligned_row(
        {save_button, compare_button, compare_files_button, restore_button, write_button}));
    auto* progress_row = new QHBoxLayout;
    progress_row->addWidget(stop_button);
    progress_row->addWidget(progress, 1);
    layout->addLayout(progress_row);
    layout->addWidget(step_label);
    layout->addWidget(differences, 1);
    layout->addWidget(summary);

    connect(modules_button, &QPushButton::clicked, this, &BackupWindow::ReadModulesClick);
    connect(save_button, &QPushButton::clicked, this, &BackupWindow::SaveClick);
    connect(compare_button, &QPushButton::clicked, this, &BackupWindow::CompareClick);
    connect(compare_files_button, &QPushButton::clicked, this, &BackupWindow::CompareFilesClick);
    connect(restore_button, &QPushButton::clicked, this, &BackupWindow::RestoreClick);
    connect(write_button, &QPushButton::clicked, this, &BackupWindow::WriteClick);
    connect(stop_button, &QPushButton::clicked, this, &BackupWindow::StopClick);
}

void BackupWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    x10_box->setEnabled(context_.serial_port() != nullptr);
    if (!modules_read_ && !busy_ && vx::is_connected(context_.connection())) {
        ReadModulesClick();
    }
}

void BackupWindow::ReadModulesClick() {
    std::vector<cm::ModuleEntry> modules;
    if (cm::read_module_table(context_.connection(), modules) != kDone) {
        prompts_.error(QString::fromUtf8(cm::kNoAnswerText));
        return;
    }
    modules_read_ = true;
    modules_list->clear();
    for (const cm::ModuleEntry& module : modules) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 — %2").arg(module.address).arg(text(module.name)), modules_list);
        item->setData(Qt::UserRole, module.address);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void BackupWindow::set_busy(bool busy) {
    busy_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{
             services_box, delay_box, start_values_box, poll_box, parameters_box, modules_list,
             modules_button, save_button, compare_button, compare_files_button, restore_button,
             differences}) {
        w->setEnabled(!busy);
    }
    x10_box->setEnabled(!busy && context_.serial_port() != nullptr);
    write_button->setEnabled(!busy && plan_ready_);
    stop_button->setEnabled(busy);
}

cm::StepObserver BackupWindow::observer() {
    cm::StepObserver observer;
    observer.in_words = true;
    observer.progress = [this](const std::string& step, int done, int total) {
        step_label->setText(text(step));
        progress->setRange(0, std::max(total, 1));
        progress->setValue(done);
    };
    observer.stop_requested = [this] {
        QCoreApplication::processEvents();  // lets "Стоп" be pressed between requests
        return stop_;
    };
    return observer;
}

int BackupWindow::read(const cm::ReadPlan& plan, cm::Configuration& configuration) {
    const LongOperation long_operation(context_);
    stop_ = false;
    set_busy(true);
    std::vector<std::string> notes;
    const int code =
        cm::read_configuration(context_.connection(), plan, configuration, notes, observer());
    set_busy(false);
    return show_read(code, notes);
}

int BackupWindow::show_read(int code, const std::vector<std::string>& notes) {
    QStringList lines;
    for (const std::string& note : notes) {
        lines << text(note);
    }
    step_label->setText(code == cm::kStopped ? QStringLiteral("Остановлено.") : lines.join('\n'));
    if (code == kDone) {
        progress->setValue(progress->maximum());  // the steps of a section left out included
    }
    if (code == kBadEcho) {
        prompts_.error(QString::fromUtf8(cm::kOperationFailedText));
    } else if (code != kDone && code != cm::kStopped) {
        prompts_.error(QString::fromUtf8(cm::kNoAnswerText));
    }
    return code;
}

cm::ControllerLink BackupWindow::link() {
    return [this](SerialPort*& serial) {
        serial = context_.serial_port();
        return &context_.connection();
    };
}

void BackupWindow::SaveClick() {
    cm::ReadPlan plan;
    plan.services = services_box->isChecked();
    plan.cycle_delay = delay_box->isChecked();
    plan.start_values = start_values_box->isChecked();
    plan.poll_frequencies = poll_box->isChecked();
    plan.parameters = parameters_box->isChecked();
    if (plan.parameters && modules_read_) {
        for (int i = 0; i < modules_list->count(); ++i) {
            if (modules_list->item(i)->checkState() == Qt::Checked) {
                plan.parameter_addresses.push_back(
                    modules_list->item(i)->data(Qt::UserRole).toInt());
            }
        }
        // None chosen: no parameters, not every module's (which an empty list means).
        plan.parameters = !plan.parameter_addresses.empty();
    }
    plan.serial = x10_box->isChecked() ? context_.serial_port() : nullptr;
    cm::Configuration configuration;
    if (read(plan, configuration) != kDone) {
        return;  // nothing read is kept
    }
    FileDialogRequest request;
    request.filter = kFileFilter;
    request.default_suffix = QStringLiteral("json");
    request.file_name = backup_default_file_name();
    const std::optional<QString> path = prompts_.save_file(request);
    if (!path) {
        return;
    }
    const std::string error = cm::save_configuration(path->toStdString(), configuration);
    if (!error.empty()) {
        prompts_.error(text(error));
        return;
    }
    // What could not be read is named under the file, as the read listed it.
    QStringList lines{QStringLiteral("Копия сохранена: %1").arg(*path)};
    if (!configuration.not_read.empty()) {
        lines << step_label->text();
    }
    summary->setText(lines.join('\n'));
}

bool BackupWindow::load_and_read(cm::FileAgainstController& loaded) {
    FileDialogRequest request;
    request.filter = kFileFilter;
    const std::optional<QString> path = prompts_.open_file(request);
    if (!path) {
        return false;
    }
    std::optional<LongOperation> long_operation(std::in_place, context_);
    stop_ = false;
    set_busy(true);
    loaded = cm::load_and_read(path->toStdString(), {}, link(), observer());
    set_busy(false);
    if (!loaded.file_error.empty()) {
        long_operation.reset();  // nothing was asked of the controller
        prompts_.error(text(loaded.file_error));
        return false;
    }
    return show_read(loaded.read_result, loaded.notes) == kDone;
}

void BackupWindow::CompareClick() {
    cm::FileAgainstController loaded;
    if (!load_and_read(loaded)) {
        return;  // the window keeps what it showed
    }
    show_comparison(cm::compare_with_controller(loaded.file, loaded.controller), kColumns,
                    QStringLiteral("Конфигурация контроллера совпадает с файлом."));
}

void BackupWindow::CompareFilesClick() {
    std::array<cm::Configuration, 2> files;
    const QString titles[] = {QStringLiteral("Первый файл конфигурации"),
                              QStringLiteral("Второй файл конфигурации")};
    QStringList names;
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileDialogRequest request;
        request.title = titles[i];
        request.filter = kFileFilter;
        const std::optional<QString> path = prompts_.open_file(request);
        if (!path) {
            return;
        }
        const std::string error = cm::load_configuration(path->toStdString(), files[i]);
        if (!error.empty()) {
            prompts_.error(text(error));
            return;
        }
        names << QFileInfo(*path).fileName();
    }
    show_comparison(cm::compare_files(files[0], files[1]), kFilesColumns,
                    QStringLiteral("Файлы совпадают."));
    step_label->setText(QStringLiteral("Первый файл: %1, второй: %2.").arg(names[0], names[1]));
}

void BackupWindow::show_comparison(cm::Comparison comparison, const QStringList& columns,
                                   const QString& when_equal) {
    plan_ = {};
    for (const cm::Difference& d : comparison.differences) {
        plan_.rows.push_back({d});
    }
    plan_.skipped = std::move(comparison.skipped);
    plan_ready_ = false;
    write_button->setEnabled(false);
    show_rows(false, columns, when_equal);
}

void BackupWindow::RestoreClick() {
    cm::FileAgainstController loaded;
    if (!load_and_read(loaded)) {
        return;
    }
    file_ = std::move(loaded.file);
    plan_ = cm::plan_restore(file_, loaded.controller);
    plan_ready_ = !plan_.rows.empty();
    write_button->setEnabled(plan_ready_);
    show_rows(true, kColumns, QStringLiteral("Конфигурация контроллера совпадает с файлом."));
}

void BackupWindow::show_rows(bool with_checks, const QStringList& columns,
                             const QString& when_equal) {
    differences->setColumnCount(with_checks ? kResultColumn + 1 : kResultColumn);
    differences->setHorizontalHeaderLabels(columns);
    differences->setRowCount(static_cast<int>(plan_.rows.size()));
    std::vector<const cm::Difference*> rows;
    for (int r = 0; r < differences->rowCount(); ++r) {
        const cm::Difference& d = plan_.rows[r].difference;
        rows.push_back(&d);
        const QString cells[] = {caption(d.section), text(cm::difference_element(d)),
                                 value_text(d.file), value_text(d.controller)};
        for (int c = 0; c < 4; ++c) {
            differences->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
        if (with_checks) {
            QTableWidgetItem* first = differences->item(r, 0);
            first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
            first->setCheckState(Qt::Checked);
            differences->setItem(r, kResultColumn, new QTableWidgetItem());
        }
    }
    fit_columns();
    QStringList lines{count_line(rows, when_equal)};
    for (const std::string& line : cm::note_lines(plan_.skipped, true)) {
        lines << text(line);
    }
    summary->setText(lines.join('\n'));
}

void BackupWindow::fit_columns() {
    differences->resizeColumnsToContents();
    if (differences->columnCount() <= kResultColumn) {
        return;
    }
    // Wide enough for any outcome before one is written, so the column does not jump.
    const QFontMetrics metrics(differences->font());
    int widest = metrics.horizontalAdvance(kColumns[kResultColumn]);
    for (const char* outcome : kOutcomeTexts) {
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(outcome)));
    }
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    differences->setColumnWidth(
        kResultColumn, std::max(differences->columnWidth(kResultColumn), widest + padding));
}

void BackupWindow::WriteClick() {
    if (!plan_ready_) {
        return;
    }
    for (int r = 0; r < differences->rowCount(); ++r) {
        plan_.rows[r].selected = differences->item(r, 0)->checkState() == Qt::Checked;
    }
    const std::string question = cm::write_question(plan_);
    if (question.empty()) {
        prompts_.information(QStringLiteral("Не отмечено ни одной строки для записи."));
        return;
    }
    if (!prompts_.ask_yes_no(PromptIcon::warning, kCaptionConfirmation, text(question))) {
        return;  // nothing written; the rows stay as ticked
    }
    const LongOperation long_operation(context_);
    stop_ = false;
    set_busy(true);
    // A stop pressed during the writes ends them, not the read-back that marks the rows.
    cm::StepObserver reading_back = observer();
    reading_back.stop_requested = [this, first_check = true]() mutable {
        if (std::exchange(first_check, false)) {
            stop_ = false;
        }
        QCoreApplication::processEvents();
        return stop_;
    };
    const cm::RestoreResult result =
        cm::restore_and_verify(link(), file_, {}, plan_, observer(), reading_back);
    set_busy(false);
    const bool reread_done = show_read(result.read_back, result.notes) == kDone;
    plan_ready_ = false;  // a second write starts from a fresh comparison
    write_button->setEnabled(false);
    const int still_differ = reread_done ? show_read_back(result.reread) : 0;
    show_outcomes();
    if (still_differ > 0) {
        summary->setText(summary->text() +
                         QStringLiteral("\nПосле записи отличаются от файла: %1.")
                             .arg(text(cm::count_text(still_differ, cm::kRowForms))));
    }
    if (reread_done && result.run != kDone &&
        result.run != cm::kStopped) {  // else the read said why
        prompts_.error(QString::fromUtf8(cm::kOperationFailedText));
    }
}

int BackupWindow::show_read_back(const cm::Configuration& reread) {
    int still_differ = 0;
    for (int r = 0; r < differences->rowCount(); ++r) {
        const cm::Difference& d = plan_.rows[r].difference;
        const std::optional<std::string> now = cm::value_text_at(reread, d);
        QTableWidgetItem* cell = differences->item(r, kControllerColumn);
        cell->setText(now ? value_text(*now) : QStringLiteral("не прочитано"));
        if (now == d.file) {
            continue;
        }
        ++still_differ;
        cell->setToolTip(
            QStringLiteral("После записи значение в контроллере отличается от файла."));
        for (int c = 0; c < differences->columnCount(); ++c) {
            differences->item(r, c)->setForeground(kStillDiffers);
        }
    }
    return still_differ;
}

void BackupWindow::show_outcomes() {
    for (int r = 0; r < differences->rowCount(); ++r) {
        QTableWidgetItem* first = differences->item(r, 0);
        first->setFlags(first->flags() & ~Qt::ItemIsUserCheckable);
        differences->item(r, kResultColumn)->setText(outcome_text(plan_.rows[r]));
    }
    fit_columns();
    QStringList lines{text(cm::restore_summary_text(cm::summarize(plan_)))};
    for (const std::string& line : cm::note_lines(cm::commit_failures(plan_), true)) {
        lines << text(line);
    }
    summary->setText(lines.join('\n'));
}

void BackupWindow::StopClick() {
    stop_ = true;
}

}  // namespace vx::ui
