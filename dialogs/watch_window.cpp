// WatchWindow: the watch list's table over the commissioning library's list, sample
// and CSV; the timer, the pause while another operation runs, the chart and the settings.
#include "dialogs/watch_window.h"

#include <algorithm>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "commissioning/module_table.h"
#include "dialogs/watch_chart.h"
#include "dialogs/watch_chart_bar.h"
#include "dialogs/watch_list_view.h"
#include "dialogs/watch_sampler.h"
#include "dialogs/watch_window_model.h"
#include "ui/dialog_controls.h"
#include "ui/time_of_day.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

const QString kVariablesKey = QStringLiteral("Watch/Variables");
const QString kNamesKey = QStringLiteral("Watch/Names");
const QString kChartedKey = QStringLiteral("Watch/Charted");
const QString kFormatsKey = QStringLiteral("Watch/Formats");
const QString kIntervalKey = QStringLiteral("Watch/IntervalMs");
const QString kSpanKey = QStringLiteral("Watch/ChartMinutes");
const QString kMainGridKey = QStringLiteral("Watch/MainGrid");
const QString kNormaliseKey = QStringLiteral("Watch/ChartNormalised");
constexpr int kSpanMinutes[] = {1, 10, 60};
constexpr int kDefaultSpanIndex = 1;
constexpr double kMinIntervalSeconds = 0.2;
constexpr double kMaxIntervalSeconds = 60.0;

const QString kNoAnswer = QStringLiteral(" Нет ответа от контроллера.");
const QString kPaused =
    QStringLiteral(" Наблюдение приостановлено: выполняется другая операция с контроллером.");

QString csv_file_name() {
    return QStringLiteral("watch-%1.csv")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
}

}  // namespace

int parse_variable_number(const QString& text) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok && number >= 0 && number < vx::kVariableCount ? number : -1;
}

WatchWindow::WatchWindow(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("var_watch"));
    setWindowTitle(QStringLiteral("Наблюдение за переменными"));
    setModal(false);
    resize(900, 680);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &WatchWindow::TimerTick);
    sampler_ = new WatchSampler(
        context,
        [this](const cm::WatchSample& sample, const std::string& failure) {
            const QString read_back = std::exchange(read_back_text_, QString());
            if (sample_session_ != session_) {
                return;  // stopped since it began
            }
            sampling_ = true;
            show_sample(sample, failure);
            sampling_ = false;
            if (!read_back.isEmpty() && sample.answered) {
                show_status(read_back);
            }
        },
        this);
    build_layout();
    load_settings();
}

WatchWindow::~WatchWindow() {
    delete sampler_;  // waits for a sample in flight, before anything it would call goes
    save_settings();
}

void WatchWindow::build_layout() {
    auto* root = new QVBoxLayout(this);

    number_edit = new QLineEdit(this);
    number_edit->setObjectName(QStringLiteral("number_edit"));
    number_edit->setPlaceholderText(QStringLiteral("0–1023"));
    number_edit->setMaximumWidth(90);
    add_button = make_button(QStringLiteral("add_button"), QStringLiteral("Добавить"), this);
    remove_button = make_button(QStringLiteral("remove_button"), QStringLiteral("Удалить"), this);
    names_button =
        make_button(QStringLiteral("names_button"), QStringLiteral("Имена из заметок..."), this);
    notes_all_button = make_button(QStringLiteral("notes_all_button"),
                                   QStringLiteral("Добавить все из заметок"), this);
    save_list_button = make_button(QStringLiteral("save_list_button"),
                                   QStringLiteral("Сохранить список..."), this);
    open_list_button =
        make_button(QStringLiteral("open_list_button"), QStringLiteral("Открыть список..."), this);
    auto* list_row = new QHBoxLayout;
    list_row->addWidget(new QLabel(QStringLiteral("Номер переменной:"), this));
    list_row->addWidget(number_edit);
    list_row->addWidget(add_button);
    list_row->addWidget(remove_button);
    list_row->addStretch(1);
    list_row->addWidget(names_button);
    list_row->addWidget(notes_all_button);
    list_row->addWidget(open_list_button);
    list_row->addWidget(save_list_button);
    root->addLayout(list_row);

    model_ = new WatchWindowModel(list_, this);
    watch_list = new WatchListView(context_, list_, *model_, this);
    watch_list->set_change_guard([this] { return recording_; });
    watch_list->verticalHeader()->hide();
    watch_list->verticalHeader()->setDefaultSectionSize(watch_list->fontMetrics().height() + 6);
    watch_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    watch_list->horizontalHeader()->setSectionResizeMode(name_column, QHeaderView::Stretch);
    watch_list->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    connect(watch_list, &WatchListView::remove_requested, this, &WatchWindow::RemoveClick);
    connect(watch_list, &WatchListView::status, this, &WatchWindow::show_status);
    connect(watch_list, &WatchListView::written, this, &WatchWindow::read_back);
    connect(watch_list, &WatchListView::list_changed, this, [this] {
        refresh_chart();
        save_settings();
    });

    trend = new WatchChart(this);
    chart_bar = new WatchChartBar(*trend, prompts_, this);
    auto* chart_pane = new QWidget(this);
    auto* chart_column = new QVBoxLayout(chart_pane);
    chart_column->setContentsMargins(0, 0, 0, 0);
    chart_column->addWidget(trend, 1);
    chart_column->addWidget(chart_bar);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(watch_list);
    split->addWidget(chart_pane);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    root->addWidget(split, 1);

    interval_box = new QDoubleSpinBox(this);
    interval_box->setObjectName(QStringLiteral("interval_box"));
    interval_box->setRange(kMinIntervalSeconds, kMaxIntervalSeconds);
    interval_box->setDecimals(1);
    interval_box->setSingleStep(0.1);
    interval_box->setValue(kDefaultIntervalMs / 1000.0);
    start_button = make_button(QStringLiteral("start_button"), QStringLiteral("Старт"), this);
    stop_button = make_button(QStringLiteral("stop_button"), QStringLiteral("Стоп"), this);
    stop_button->setEnabled(false);
    record_button =
        make_button(QStringLiteral("record_button"), QStringLiteral("Запись в файл..."), this);
    reset_button =
        make_button(QStringLiteral("reset_button"), QStringLiteral("Сбросить мин./макс."), this);
    span_box = new QComboBox(this);
    span_box->setObjectName(QStringLiteral("span_box"));
    for (int minutes : kSpanMinutes) {
        span_box->addItem(QStringLiteral("%1 мин").arg(minutes), minutes);
    }
    span_box->setCurrentIndex(kDefaultSpanIndex);
    main_grid_box = new QCheckBox(QStringLiteral("Обновлять таблицу главного окна"), this);
    main_grid_box->setObjectName(QStringLiteral("main_grid_box"));
    auto* sampling_row = new QHBoxLayout;
    sampling_row->addWidget(new QLabel(QStringLiteral("Интервал, с:"), this));
    sampling_row->addWidget(interval_box);
    sampling_row->addWidget(start_button);
    sampling_row->addWidget(stop_button);
    sampling_row->addWidget(reset_button);
    sampling_row->addSpacing(12);
    sampling_row->addWidget(new QLabel(QStringLiteral("График за:"), this));
    sampling_row->addWidget(span_box);
    sampling_row->addSpacing(12);
    sampling_row->addWidget(main_grid_box);
    sampling_row->addStretch(1);
    sampling_row->addWidget(record_button);
    root->addLayout(sampling_row);

    status_line = make_status_line(QStringLiteral("status_line"), this);
    record_line = make_status_line(QStringLiteral("record_line"), this);
    auto* status_row = new QHBoxLayout;
    status_row->addWidget(status_line, 1);
    status_row->addWidget(record_line);
    root->addLayout(status_row);

    connect(add_button, &QPushButton::clicked, this, &WatchWindow::AddClick);
    connect(number_edit, &QLineEdit::returnPressed, this, &WatchWindow::AddClick);
    connect(remove_button, &QPushButton::clicked, this, &WatchWindow::RemoveClick);
    connect(names_button, &QPushButton::clicked, this, &WatchWindow::NamesClick);
    connect(notes_all_button, &QPushButton::clicked, this, &WatchWindow::AddAllFromNotesClick);
    connect(save_list_button, &QPushButton::clicked, watch_list, &WatchListView::SaveListClick);
    connect(open_list_button, &QPushButton::clicked, watch_list, &WatchListView::OpenListClick);
    connect(start_button, &QPushButton::clicked, this, &WatchWindow::StartClick);
    connect(stop_button, &QPushButton::clicked, this, &WatchWindow::StopClick);
    connect(record_button, &QPushButton::clicked, this, &WatchWindow::RecordClick);
    connect(reset_button, &QPushButton::clicked, this, &WatchWindow::ResetExtremesClick);
    connect(model_, &WatchWindowModel::dataChanged, this, &WatchWindow::list_edited);
    connect(interval_box, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
        timer_->setInterval(static_cast<int>(seconds * 1000.0 + 0.5));
        save_settings();
    });
    connect(span_box, &QComboBox::currentIndexChanged, this, [this] {
        refresh_chart();
        save_settings();
    });
    connect(chart_bar->normalise_box, &QCheckBox::toggled, this, [this] { save_settings(); });
    connect(main_grid_box, &QCheckBox::toggled, this, [this](bool feeding) {
        save_settings();
        if (!feeding) {
            emit grid_feed_ended();
        }
    });
    timer_->setInterval(kDefaultIntervalMs);
}

// ---- the list ----------------------------------------------------------------

void WatchWindow::add_variables(const std::vector<int>& variables) {
    const std::vector<int> added = list_.new_variables(variables);
    // The record's columns are fixed when its file is opened.
    if (recording_ && !added.empty()) {
        prompts_.error(
            QStringLiteral("Идёт запись в файл: переменные в неё не добавить. "
                           "Остановите запись, добавьте переменные и начните новую "
                           "запись."));
        return;
    }
    for (int v : added) {
        const auto named = notes_names_.find(v);
        model_->add(v,
                    named == notes_names_.end() ? QString() : QString::fromStdString(named->second),
                    false);
    }
    save_settings();
    show();
    raise();
    activateWindow();
}

void WatchWindow::AddClick() {
    const int variable = parse_variable_number(number_edit->text());
    if (variable < 0) {
        prompts_.error(QStringLiteral("Номер переменной должен быть числом от 0 до 1023."));
        return;
    }
    add_variables({variable});
    number_edit->clear();
}

void WatchWindow::RemoveClick() {
    std::vector<int> rows;
    for (const QModelIndex& index : watch_list->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    model_->remove(rows);
    refresh_chart();
    save_settings();
}

void WatchWindow::NamesClick() {
    const std::optional<std::map<int, std::string>> read = ask_notes_names(prompts_);
    if (!read) {
        return;
    }
    notes_names_ = *read;
    const int named = model_->apply_names(*read);
    show_status(
        QStringLiteral("Имена из заметок: %1 из %2 в списке.").arg(named).arg(list_.size()));
}

void WatchWindow::AddAllFromNotesClick() {
    const std::optional<std::map<int, std::string>> read = ask_notes_names(prompts_);
    if (!read) {
        return;
    }
    notes_names_ = *read;
    std::vector<int> named;  // in number order: the map's
    for (const auto& [variable, name] : *read) {
        named.push_back(variable);
    }
    const std::size_t fresh = list_.new_variables(named).size();
    const auto listed =
        std::count_if(named.begin(), named.end(), [this](int v) { return list_.contains(v); });
    const std::size_t before = list_.size();
    add_variables(named);
    if (list_.size() - before != fresh) {
        return;  // refused while recording, with its box
    }
    show_status(QStringLiteral("Из заметок добавлено переменных: %1, уже были в списке: %2.")
                    .arg(fresh)
                    .arg(listed));
}

// A name typed or a chart box ticked: the values' own changes redraw nothing here.
void WatchWindow::list_edited(const QModelIndex& top_left) {
    if (top_left.column() != name_column && top_left.column() != chart_column) {
        return;
    }
    refresh_chart();
    save_settings();
}

// ---- sampling ----------------------------------------------------------------

void WatchWindow::StartClick() {
    list_.history().reset_extremes();
    failed_samples_ = 0;
    timer_->start();
    start_button->setEnabled(false);
    stop_button->setEnabled(true);
    TimerTick();  // the first values at once, not one interval later
}

void WatchWindow::StopClick() {
    ++session_;  // a sample in flight ends unseen
    timer_->stop();
    start_button->setEnabled(true);
    stop_button->setEnabled(false);
    show_status(QStringLiteral("Наблюдение остановлено."));
    if (main_grid_box->isChecked()) {
        emit grid_feed_ended();
    }
}

void WatchWindow::ResetExtremesClick() {
    list_.history().reset_extremes();
    model_->values_changed();
}

void WatchWindow::done(int result) {
    const bool watching = timer_->isActive();
    if (recording_) {
        stop_recording();
    }
    if (watching) {
        StopClick();
        show_status(QStringLiteral("Наблюдение остановлено: окно закрыто."));
    }
    QDialog::done(result);
}

void WatchWindow::TimerTick() {
    if (sampling_) {
        return;  // the previous sample's box is still open
    }
    // One sample at a time: the record keeps a row per sample taken, and the requests
    // of other windows find no queue of samples before them.
    if (sampler_->in_flight()) {
        ++skipped_ticks_;
        return;
    }
    // Another operation lets events run between its requests: a request of ours
    // would fall between them. The timer stays on, so the watch resumes by itself.
    if (context_.long_operation_running()) {
        show_status(time_of_day_text() + kPaused);
        record_gap(std::chrono::system_clock::now(), "выполняется другая операция с контроллером");
        return;
    }
    sample_session_ = session_;
    sampler_->start(list_.variables());
}

void WatchWindow::read_back(const QString& written) {
    if (timer_->isActive()) {
        show_status(written +
                    QStringLiteral("; значение в строке обновится при следующем опросе."));
        return;
    }
    // No sampling runs: one sample on the sampler's path shows the value in its row. A
    // sample still in flight from before Стоп ends unseen first.
    if (sampler_->in_flight()) {
        sampler_->finish();
    }
    show_status(written + QStringLiteral("; значение читается..."));
    read_back_text_ = written + QStringLiteral(" и прочитано.");
    sample_session_ = session_;
    sampler_->start(list_.variables());
}

void WatchWindow::finish_sample() {
    sampler_->finish();
}

bool WatchWindow::sample_in_flight() const {
    return sampler_->in_flight();
}

void WatchWindow::show_sample(const cm::WatchSample& sample, const std::string& failure) {
    if (!sample.answered) {
        ++failed_samples_;
        last_failure_ = time_of_day_text();
        show_status(last_failure_ + kNoAnswer + failures_text());
        record_gap(sample.time, failure);
        return;
    }
    list_.history().add(sample.time, sample.all);
    model_->values_changed();
    // A one-minute chart moves with every sample; a longer one moves less than a
    // bucket of its points in a second.
    const bool one_minute = span_box->currentData().toInt() == 1;
    if (isVisible() && (one_minute || std::chrono::steady_clock::now() - chart_drawn_ >=
                                          std::chrono::seconds(1))) {
        refresh_chart();
    }
    if (main_grid_box->isChecked()) {
        emit variables_read(sample.all);
    }
    show_status(time_of_day_text() + QStringLiteral(" Значения получены.") + failures_text());
    if (recording_) {
        const std::string error = csv_.write(cm::select_variables(sample, recorded_variables_));
        if (!error.empty()) {
            stop_recording();
            prompts_.error(QString::fromStdString(error));
        }
    }
}

void WatchWindow::record_gap(std::chrono::system_clock::time_point time,
                             const std::string& reason) {
    if (!recording_) {
        return;
    }
    const std::string error = csv_.write_gap(time, reason);
    if (!error.empty()) {
        stop_recording();
        prompts_.error(QString::fromStdString(error));
    }
}

// The samples that went unanswered since Старт, so that a lost reply stays in sight.
QString WatchWindow::failures_text() const {
    if (failed_samples_ == 0) {
        return QString();
    }
    return QStringLiteral(" Без ответа с начала наблюдения: %1, последний раз в %2.")
        .arg(failed_samples_)
        .arg(last_failure_);
}

void WatchWindow::show_status(const QString& text) {
    status_line->setText(text);
}

// ---- the chart ---------------------------------------------------------------

const ChartLine* WatchWindow::line_of(int variable) const {
    return trend->line_of(variable);
}

void WatchWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refresh_chart();  // samples taken while hidden left it behind
}

void WatchWindow::refresh_chart() {
    chart_drawn_ = std::chrono::steady_clock::now();
    std::map<int, QString> charted;  // variable -> legend name
    for (const auto& [variable, legend] : list_.charted()) {
        charted[variable] = QString::fromStdString(legend);
    }
    trend->draw(list_.history(), charted, std::chrono::minutes(span_box->currentData().toInt()),
                kChartPointsPerSeries,
                kChartGapIntervals * timer_->intervalAsDuration() + kChartGapSlack);
}

// ---- the record --------------------------------------------------------------

void WatchWindow::RecordClick() {
    if (recording_) {
        stop_recording();
        return;
    }
    FileDialogRequest request;
    request.filter = QStringLiteral("Файл CSV (*.csv)|*.csv");
    request.default_suffix = QStringLiteral("csv");
    request.file_name = csv_file_name();
    const std::optional<QString> path = prompts_.save_file(request);
    if (!path) {
        return;
    }
    recorded_variables_ = list_.variables();
    if (const std::string error =
            csv_.open(QFile::encodeName(*path).toStdString(), recorded_variables_, list_.names());
        !error.empty()) {
        prompts_.error(QString::fromStdString(error));
        return;
    }
    recording_ = true;
    record_button->setText(QStringLiteral("Остановить запись"));
    record_line->setText(QStringLiteral("Запись: ") + *path);
    if (!timer_->isActive()) {
        StartClick();
    }
}

void WatchWindow::stop_recording() {
    csv_ = cm::WatchCsv();  // closes the file; every row is on disk already
    recording_ = false;
    record_button->setText(QStringLiteral("Запись в файл..."));
    record_line->clear();
}

// ---- the settings ------------------------------------------------------------

void WatchWindow::load_settings() {
    loading_ = true;
    QSettings& s = context_.settings();
    const QStringList numbers = s.value(kVariablesKey).toStringList();
    const QStringList names = s.value(kNamesKey).toStringList();
    const QStringList charted = s.value(kChartedKey).toStringList();
    const QStringList formats = s.value(kFormatsKey).toStringList();
    for (int i = 0; i < numbers.size(); ++i) {
        // A hand-edited file: what cannot be a row is left out, an unknown format is unsigned.
        model_->add(parse_variable_number(numbers[i]), i < names.size() ? names[i] : QString(),
                    charted.contains(numbers[i].trimmed()),
                    cm::format_of_word(i < formats.size() ? formats[i].toStdString() : "")
                        .value_or(cm::ValueFormat::unsigned_decimal));
    }
    const int interval_ms = s.value(kIntervalKey, kDefaultIntervalMs).toInt();
    interval_box->setValue(interval_ms / 1000.0);  // the box keeps it in 0.2 to 60 s
    const int span = span_box->findData(s.value(kSpanKey).toInt());
    span_box->setCurrentIndex(span < 0 ? kDefaultSpanIndex : span);
    main_grid_box->setChecked(s.value(kMainGridKey, false).toBool());
    chart_bar->normalise_box->setChecked(s.value(kNormaliseKey, false).toBool());
    loading_ = false;
    refresh_chart();
}

void WatchWindow::save_settings() const {
    if (loading_) {
        return;
    }
    QStringList numbers, names, charted, formats;
    for (int row = 0; row < static_cast<int>(list_.size()); ++row) {
        const cm::WatchList::Row& r = list_.rows()[static_cast<std::size_t>(row)];
        const QString number = QString::number(r.variable);
        numbers << number;
        names << QString::fromStdString(list_.name(row));
        formats << QString::fromUtf8(cm::format_word(r.format));
        if (r.charted) {
            charted << number;
        }
    }
    QSettings& s = context_.settings();
    s.setValue(kVariablesKey, numbers);
    s.setValue(kNamesKey, names);
    s.setValue(kChartedKey, charted);
    s.setValue(kFormatsKey, formats);
    s.setValue(kIntervalKey, static_cast<int>(interval_box->value() * 1000.0 + 0.5));
    s.setValue(kSpanKey, span_box->currentData().toInt());
    s.setValue(kMainGridKey, main_grid_box->isChecked());
    s.setValue(kNormaliseKey, chart_bar->normalise_box->isChecked());
}

}  // namespace vx::ui
