// ExchangeMonitor: the exchange table taken from the log in batches, its
// filter, the hex dump, the summary and the module statistics.
#include "dialogs/exchange_monitor.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "commissioning/local_time.h"
#include "files/atomic_file.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_text.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// "14:03:27.125": the local time of day of an exchange.
QString time_text(std::chrono::system_clock::time_point t) {
    return text(vx::commissioning::local_time_text(t).substr(11));
}

QString milliseconds_text(std::chrono::microseconds d) {
    return text(vx::milliseconds_text(d));
}

QString result_text(int result) {
    return text(vx::exchange_result_text(result));
}

}  // namespace

// ---- the table's model -------------------------------------------------------

ExchangeTableModel::ExchangeTableModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(std::max<std::size_t>(capacity, 1)) {}

int ExchangeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ExchangeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : column_count;
}

QVariant ExchangeTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    const vx::ExchangeRecord& r = record(index.row());
    switch (index.column()) {
        case time:
            return time_text(r.start);
        case request:
            return text(vx::exchange_request_text(r));
        case sent:
            return text(vx::hex_bytes(r.sent, kShownBytes));
        case received:
            return text(vx::hex_bytes(r.received, kShownBytes));
        case result:
            return result_text(r.result);
        case milliseconds:
            return milliseconds_text(r.duration);
        default:
            return {};
    }
}

QVariant ExchangeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QString captions[column_count] = {
        QStringLiteral("Время"),    QStringLiteral("Запрос"),    QStringLiteral("Отправлено"),
        QStringLiteral("Получено"), QStringLiteral("Результат"), QStringLiteral("мс")};
    return section >= 0 && section < column_count ? captions[section] : QVariant();
}

void ExchangeTableModel::append(const std::vector<vx::ExchangeRecord>& records) {
    if (records.empty()) {
        return;
    }
    // A batch larger than the capacity keeps only its newest records.
    const std::size_t taken = std::min(records.size(), capacity_);
    const std::size_t overflow =
        rows_.size() + taken > capacity_ ? rows_.size() + taken - capacity_ : 0;
    if (overflow > 0) {
        beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(overflow));
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(taken) - 1);
    rows_.insert(rows_.end(), records.end() - static_cast<std::ptrdiff_t>(taken), records.end());
    endInsertRows();
}

void ExchangeTableModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

// ---- the filter --------------------------------------------------------------

void ExchangeFilter::set_failures_only(bool on) {
    failures_only_ = on;
    invalidateFilter();
}

void ExchangeFilter::set_text(const QString& text) {
    text_ = text.trimmed();
    invalidateFilter();
}

bool ExchangeFilter::filterAcceptsRow(int source_row, const QModelIndex&) const {
    const auto& model = static_cast<const ExchangeTableModel&>(*sourceModel());
    const vx::ExchangeRecord& r = model.record(source_row);
    if (failures_only_ && r.result == vx::kDone) {
        return false;
    }
    if (text_.isEmpty()) {
        return true;
    }
    for (int column = 0; column < ExchangeTableModel::column_count; ++column) {
        if (model.data(model.index(source_row, column), Qt::DisplayRole)
                .toString()
                .contains(text_, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

// ---- the window --------------------------------------------------------------

ExchangeMonitor::ExchangeMonitor(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), log_(context.exchange_log()) {
    setObjectName(QStringLiteral("exchange_monitor"));
    setWindowTitle(QStringLiteral("Монитор обмена"));
    setModal(false);
    resize(980, 600);
    build_layout();
    timer_ = new QTimer(this);
    timer_->setInterval(kBatchIntervalMs);
    connect(timer_, &QTimer::timeout, this, &ExchangeMonitor::take_new_records);
}

void ExchangeMonitor::build_layout() {
    model = new ExchangeTableModel(vx::ExchangeLog::kDefaultCapacity, this);
    filter = new ExchangeFilter(this);
    filter->setSourceModel(model);

    auto* root = new QVBoxLayout(this);
    tabs = new QTabWidget(this);
    root->addWidget(tabs);

    auto* exchanges_page = new QWidget(tabs);
    auto* page = new QVBoxLayout(exchanges_page);
    auto* tools = new QHBoxLayout;
    failures_only = new QCheckBox(QStringLiteral("Только ошибки"), exchanges_page);
    filter_text = new QLineEdit(exchanges_page);
    filter_text->setPlaceholderText(QStringLiteral("Фильтр"));
    filter_text->setClearButtonEnabled(true);
    pause = new QCheckBox(QStringLiteral("Пауза"), exchanges_page);
    clear_button = new QPushButton(QStringLiteral("Очистить"), exchanges_page);
    save_button = new QPushButton(QStringLiteral("Сохранить..."), exchanges_page);
    tools->addWidget(failures_only);
    tools->addWidget(filter_text, 1);
    tools->addWidget(pause);
    tools->addWidget(clear_button);
    tools->addWidget(save_button);
    page->addLayout(tools);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* split = new QSplitter(Qt::Vertical, exchanges_page);
    table = new QTableView(split);
    table->setModel(filter);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(false);
    // Wide enough for a cut reply with its length: "2A 00 … (236 байт)".
    table->setColumnWidth(ExchangeTableModel::time, 95);
    table->setColumnWidth(ExchangeTableModel::request, 165);
    table->setColumnWidth(ExchangeTableModel::sent, 180);
    table->setColumnWidth(ExchangeTableModel::received, 270);
    table->setColumnWidth(ExchangeTableModel::result, 140);
    table->setColumnWidth(ExchangeTableModel::milliseconds, 60);
    detail = new QPlainTextEdit(split);
    detail->setReadOnly(true);
    detail->setFont(fixed);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    page->addWidget(split, 1);
    summary = new QLabel(exchanges_page);
    summary->setObjectName(QStringLiteral("summary"));
    page->addWidget(summary);
    tabs->addTab(exchanges_page, QStringLiteral("Обмен"));

    modules = new QTableWidget(0, 6, tabs);
    modules->setHorizontalHeaderLabels(
        {QStringLiteral("Модуль"), QStringLiteral("Запросов"), QStringLiteral("Ошибок"),
         QStringLiteral("Последняя ошибка"), QStringLiteral("Результат"),
         QStringLiteral("Медиана, мс")});
    modules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    modules->verticalHeader()->hide();
    modules->horizontalHeader()->setStretchLastSection(true);
    tabs->addTab(modules, QStringLiteral("Статистика модулей"));

    connect(failures_only, &QCheckBox::toggled, filter, &ExchangeFilter::set_failures_only);
    connect(filter_text, &QLineEdit::textChanged, filter, &ExchangeFilter::set_text);
    connect(pause, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused) {
            take_new_records();
        }
    });
    connect(clear_button, &QPushButton::clicked, this, &ExchangeMonitor::ClearClick);
    connect(save_button, &QPushButton::clicked, this, &ExchangeMonitor::SaveClick);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ExchangeMonitor::show_selected);
    show_summary();
}

void ExchangeMonitor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    take_new_records();
    timer_->start();
}

void ExchangeMonitor::hideEvent(QHideEvent* event) {
    timer_->stop();  // the log goes on recording; the next showing catches up
    QDialog::hideEvent(event);
}

void ExchangeMonitor::take_new_records() {
    if (pause->isChecked()) {
        return;
    }
    const std::size_t fresh = std::min(log_.added() - seen_, log_.records().size());
    seen_ = log_.added();
    if (fresh == 0) {
        return;
    }
    // Follow new rows only when the view is at its bottom: a user who scrolled
    // up to read an exchange keeps it in view.
    QScrollBar* bar = table->verticalScrollBar();
    const bool at_bottom = bar->value() == bar->maximum();
    const auto& records = log_.records();
    model->append({records.end() - static_cast<std::ptrdiff_t>(fresh), records.end()});
    if (at_bottom) {
        table->scrollToBottom();
    }
    show_summary();
    show_module_statistics();
}

void ExchangeMonitor::ClearClick() {
    log_.clear();
    seen_ = log_.added();
    model->clear();
    detail->clear();
    show_summary();
    show_module_statistics();
}

void ExchangeMonitor::SaveClick() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Текстовый файл (*.txt)|*.txt");
    request.default_suffix = QStringLiteral("txt");
    request.file_name = QStringLiteral("exchange.txt");
    const std::optional<QString> path = context_.prompts().save_file(request);
    if (!path) {
        return;
    }
    std::string lines;
    for (const vx::ExchangeRecord& r : log_.records()) {
        lines += vx::exchange_log_line(r, vx::commissioning::local_time_text(r.start)) + '\n';
    }
    // A new file renamed over the old one: a failed save leaves the old log whole.
    const std::string failure = vx::files::write_file_atomically(path->toStdString(), lines);
    if (!failure.empty()) {
        context_.prompts().error(QString::fromStdString(failure));
    }
}

void ExchangeMonitor::show_selected() {
    const QModelIndex current = filter->mapToSource(table->currentIndex());
    if (!current.isValid()) {
        detail->clear();
        return;
    }
    const vx::ExchangeRecord& r = model->record(current.row());
    detail->setPlainText(text(
        vx::exchange_request_text(r) + " — " + vx::exchange_result_text(r.result) +
        "\nОтправлено (" + std::to_string(r.sent.size()) + " байт):\n" + vx::hex_dump(r.sent) +
        "Получено (" + std::to_string(r.received.size()) + " байт):\n" + vx::hex_dump(r.received)));
}

void ExchangeMonitor::show_summary() {
    const vx::ExchangeSummary s = log_.summary();
    // Beside the kept count, how many there were since the start (or the last clear).
    const QString count = s.total > s.exchanges
                              ? QStringLiteral("%1 из %2").arg(s.exchanges).arg(s.total)
                              : QString::number(s.exchanges);
    summary->setText(QStringLiteral("Обменов: ") + count + QStringLiteral(", ошибок: ") +
                     QString::number(s.failures) + QStringLiteral(", медиана: ") +
                     milliseconds_text(s.median) + QStringLiteral(" мс, 95%: ") +
                     milliseconds_text(s.percentile_95) + QStringLiteral(" мс"));
}

void ExchangeMonitor::show_module_statistics() {
    const std::vector<vx::ModuleStatistics> list = log_.module_statistics();
    modules->setRowCount(static_cast<int>(list.size()));
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
        const vx::ModuleStatistics& m = list[static_cast<std::size_t>(row)];
        const bool failed = m.failures > 0;
        const QStringList cells = {text(vx::exchange_target_text(m.target)),
                                   QString::number(m.requests),
                                   QString::number(m.failures),
                                   failed ? time_text(m.last_failure_time) : QString(),
                                   failed ? result_text(m.last_failure_result) : QString(),
                                   milliseconds_text(m.median_round_trip)};
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = modules->item(row, column);
            if (item == nullptr) {
                modules->setItem(row, column, new QTableWidgetItem(cells[column]));
            } else {
                item->setText(cells[column]);
            }
        }
    }
}

}  // namespace vx::ui
