// ExchangeMonitor: the exchange table taken from the log in batches, its
// filters, the pause at a failure, the hex dump, the summary, the module
// statistics and the saved log and CSV.
#include "dialogs/exchange_monitor.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "commissioning/exchange_csv.h"
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

QString milliseconds_text(std::chrono::microseconds d) {
    return text(vx::milliseconds_text(d));
}

// A module as an item's data in the module filter; -1 is every module.
constexpr int kAllModules = -1;
int module_key(const vx::ExchangeTarget& target) {
    return static_cast<int>(target.kind) * 1000 + target.address;
}
vx::ExchangeTarget module_of_key(int key) {
    return {static_cast<vx::ExchangeTarget::Kind>(key / 1000), key % 1000};
}

// The space a cell's text needs besides its own: the item's margins and a little air.
int cell_margin(const QTableView& view) {
    return 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 6;
}

}  // namespace

ExchangeMonitor::ExchangeMonitor(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), log_(context.exchange_log()) {
    setObjectName(QStringLiteral("exchange_monitor"));
    setWindowTitle(QStringLiteral("Монитор обмена"));
    setModal(false);
    build_layout();
    // Wide enough for every column at its first width, the scroll bar and the margins.
    int columns = 0;
    for (int column = 0; column < ExchangeTableModel::column_count; ++column) {
        columns += table->columnWidth(column);
    }
    resize(std::max(980, columns + 80), 600);
    connect_controls();
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
    auto* filters = new QHBoxLayout;
    failures_only = new QCheckBox(QStringLiteral("Только ошибки"), exchanges_page);
    module_filter = new QComboBox(exchanges_page);
    module_filter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    kind_filter = new QComboBox(exchanges_page);
    kind_filter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    filter_text = new QLineEdit(exchanges_page);
    filter_text->setPlaceholderText(QStringLiteral("Фильтр"));
    filter_text->setClearButtonEnabled(true);
    filters->addWidget(failures_only);
    filters->addWidget(module_filter);
    filters->addWidget(kind_filter);
    filters->addWidget(filter_text, 1);
    page->addLayout(filters);
    auto* tools = new QHBoxLayout;
    pause = new QCheckBox(QStringLiteral("Пауза"), exchanges_page);
    pause_on_error = new QCheckBox(QStringLiteral("Пауза при ошибке"), exchanges_page);
    clear_button = new QPushButton(QStringLiteral("Очистить"), exchanges_page);
    save_button = new QPushButton(QStringLiteral("Сохранить..."), exchanges_page);
    csv_button = new QPushButton(QStringLiteral("Сохранить как CSV..."), exchanges_page);
    tools->addWidget(pause);
    tools->addWidget(pause_on_error);
    tools->addStretch(1);
    tools->addWidget(clear_button);
    tools->addWidget(save_button);
    tools->addWidget(csv_button);
    page->addLayout(tools);

    auto* split = new QSplitter(Qt::Vertical, exchanges_page);
    table = new QTableView(split);
    table->setModel(filter);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(false);
    // Each column as wide as its caption and the widest text it can show; the
    // requests' column grows with the rows (fit_columns).
    const auto widest = ExchangeTableModel::widest_texts();
    for (int column = 0; column < ExchangeTableModel::column_count; ++column) {
        const int content =
            table->fontMetrics().horizontalAdvance(widest[static_cast<std::size_t>(column)]) +
            cell_margin(*table);
        table->setColumnWidth(
            column, std::max(content, table->horizontalHeader()->sectionSizeHint(column)));
    }
    detail = new QPlainTextEdit(split);
    detail->setReadOnly(true);
    detail->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    page->addWidget(split, 1);
    pause_status = new QLabel(exchanges_page);
    pause_status->setObjectName(QStringLiteral("pause_status"));
    pause_status->setWordWrap(true);
    pause_status->hide();
    page->addWidget(pause_status);
    summary = new QLabel(exchanges_page);
    summary->setObjectName(QStringLiteral("summary"));
    page->addWidget(summary);
    tabs->addTab(exchanges_page, QStringLiteral("Обмен"));

    modules = new QTableWidget(0, module_column_count, tabs);
    modules->setHorizontalHeaderLabels(
        {QStringLiteral("Модуль"), QStringLiteral("Тип"), QStringLiteral("Обменов"),
         QStringLiteral("Ошибок"), QStringLiteral("Ошибок, %"), QStringLiteral("Среднее, мс"),
         QStringLiteral("Медиана, мс"), QStringLiteral("Наибольшее, мс"),
         QStringLiteral("Последняя ошибка"), QStringLiteral("Результат")});
    modules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    modules->verticalHeader()->hide();
    modules->verticalHeader()->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize());
    modules->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    modules->horizontalHeader()->setStretchLastSection(true);
    tabs->addTab(modules, QStringLiteral("Статистика модулей"));

    fill_module_filter();
    fill_kind_filter();
    show_summary();
}

void ExchangeMonitor::connect_controls() {
    connect(failures_only, &QCheckBox::toggled, filter, &ExchangeFilter::set_failures_only);
    connect(filter_text, &QLineEdit::textChanged, filter, &ExchangeFilter::set_text);
    connect(module_filter, &QComboBox::currentIndexChanged, this,
            &ExchangeMonitor::apply_module_filter);
    connect(kind_filter, &QComboBox::currentIndexChanged, this,
            &ExchangeMonitor::apply_kind_filter);
    connect(pause, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused) {
            pause_status->clear();
            pause_status->hide();
            take_new_records();
        }
    });
    connect(clear_button, &QPushButton::clicked, this, &ExchangeMonitor::ClearClick);
    connect(save_button, &QPushButton::clicked, this, &ExchangeMonitor::SaveClick);
    connect(csv_button, &QPushButton::clicked, this, &ExchangeMonitor::SaveCsvClick);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ExchangeMonitor::show_selected);
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
    // The log goes on counting while the view holds still.
    if (counted_ != log_.added()) {
        counted_ = log_.added();
        show_summary();
        show_module_statistics();
    }
    const auto& records = log_.records();
    const std::size_t fresh = std::min(log_.added() - seen_, records.size());
    if (pause->isChecked() || fresh == 0) {
        return;
    }
    seen_ = log_.added();
    std::vector<vx::ExchangeRecord> batch(records.end() - static_cast<std::ptrdiff_t>(fresh),
                                          records.end());
    bool stopped = false;
    if (pause_on_error->isChecked()) {
        const auto failed = std::find_if(batch.begin(), batch.end(), [this](const auto& r) {
            return r.result != vx::kDone && filter->accepts(r);
        });
        if (failed != batch.end()) {
            // What came after the failure waits in the log until the view goes on.
            seen_ -= static_cast<std::size_t>(batch.end() - failed - 1);
            batch.erase(failed + 1, batch.end());
            stopped = true;
        }
    }
    // Follow new rows only when the view is at its bottom: a user who scrolled
    // up to read an exchange keeps it in view.
    QScrollBar* bar = table->verticalScrollBar();
    const bool at_bottom = bar->value() == bar->maximum();
    note_filter_choices(batch);
    model->append(batch);
    fit_columns(batch);
    if (stopped) {
        stop_at_failure(batch.back());
    } else if (at_bottom) {
        table->scrollToBottom();
    }
}

void ExchangeMonitor::stop_at_failure(const vx::ExchangeRecord& failed) {
    pause->setChecked(true);
    const QModelIndex row = filter->mapFromSource(model->index(model->rowCount() - 1, 0));
    table->setCurrentIndex(row);  // selects it; show_selected puts its bytes in the pane
    table->scrollTo(row);
    pause_status->setText(
        QStringLiteral("Пауза при ошибке: ") +
        ExchangeTableModel::cell_text(failed, ExchangeTableModel::time) + QStringLiteral(" ") +
        text(vx::exchange_request_title(failed)) + QStringLiteral(" — ") +
        text(vx::exchange_result_text(failed.result)) +
        QStringLiteral(". Новые обмены записываются в журнал, но не показываются; "
                       "чтобы продолжить, снимите флажок «Пауза»."));
    pause_status->show();
}

void ExchangeMonitor::ClearClick() {
    log_.clear();
    seen_ = log_.added();
    model->clear();
    detail->clear();
    seen_modules_.clear();
    seen_operations_.clear();
    fill_module_filter();
    fill_kind_filter();
    show_summary();
    show_module_statistics();
}

void ExchangeMonitor::SaveClick() {
    save_as(QStringLiteral("Текстовый файл (*.txt)|*.txt"), QStringLiteral("exchange.txt"), [this] {
        std::string lines;
        for (const vx::ExchangeRecord& r : log_.records()) {
            lines += vx::exchange_log_line(r, vx::commissioning::local_time_text(r.start)) + '\n';
        }
        return lines;
    });
}

void ExchangeMonitor::SaveCsvClick() {
    save_as(QStringLiteral("Файл CSV (*.csv)|*.csv"), QStringLiteral("exchange.csv"), [this] {
        std::vector<const vx::ExchangeRecord*> shown;
        shown.reserve(static_cast<std::size_t>(filter->rowCount()));
        for (int row = 0; row < filter->rowCount(); ++row) {
            shown.push_back(&model->record(filter->mapToSource(filter->index(row, 0)).row()));
        }
        return vx::commissioning::exchange_csv(shown);
    });
}

void ExchangeMonitor::save_as(const QString& file_filter, const QString& file_name,
                              const std::function<std::string()>& contents) {
    FileDialogRequest request;
    request.filter = file_filter;
    request.default_suffix = QFileInfo(file_name).suffix();
    request.file_name = file_name;
    const std::optional<QString> path = context_.prompts().save_file(request);
    if (!path) {
        return;
    }
    // A new file renamed over the old one: a failed save leaves the old file whole.
    const std::string failure = vx::files::write_file_atomically(path->toStdString(), contents());
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
    // The internal name is for whoever reads the bytes against the protocol.
    const vx::ExchangeRecord& r = model->record(current.row());
    detail->setPlainText(
        text(vx::exchange_request_title(r) + " — " + vx::exchange_result_text(r.result) +
             "\nЗапрос: " + vx::exchange_request_text(r) + "\nОтправлено (" +
             std::to_string(r.sent.size()) + " байт):\n" + vx::hex_dump(r.sent) + "Получено (" +
             std::to_string(r.received.size()) + " байт):\n" + vx::hex_dump(r.received)));
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
    const auto& names = context_.module_names();
    modules->setRowCount(static_cast<int>(list.size()));
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
        const vx::ModuleStatistics& m = list[static_cast<std::size_t>(row)];
        const bool failed = m.failures > 0;
        const auto name = names.find(m.target.address);
        const bool named =
            m.target.kind == vx::ExchangeTarget::Kind::bus_module && name != names.end();
        const double rate =
            100.0 * static_cast<double>(m.failures) / static_cast<double>(m.requests);
        const QStringList cells = {
            text(vx::exchange_target_text(m.target)),
            named ? name->second : QString(),
            QString::number(m.requests),
            QString::number(m.failures),
            QString::number(rate, 'f', 1),
            milliseconds_text(m.mean_round_trip),
            milliseconds_text(m.median_round_trip),
            milliseconds_text(m.longest_round_trip),
            failed ? text(vx::commissioning::local_time_text(m.last_failure_time).substr(11))
                   : QString(),
            failed ? text(vx::exchange_result_text(m.last_failure_result)) : QString()};
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

QString ExchangeMonitor::module_label(const vx::ExchangeTarget& target) const {
    const QString label = text(vx::exchange_target_text(target));
    const auto& names = context_.module_names();
    const auto name = names.find(target.address);
    if (target.kind != vx::ExchangeTarget::Kind::bus_module || name == names.end()) {
        return label;
    }
    return label + QStringLiteral(" (") + name->second + QStringLiteral(")");
}

void ExchangeMonitor::note_filter_choices(const std::vector<vx::ExchangeRecord>& records) {
    bool new_module = false;
    bool new_kind = false;
    for (const vx::ExchangeRecord& r : records) {
        if (r.target.kind != vx::ExchangeTarget::Kind::none) {
            new_module = seen_modules_.insert(r.target).second || new_module;
        }
        new_kind = seen_operations_.insert(r.operation).second || new_kind;
    }
    // A module refresh since may have named modules listed before it.
    if (new_module || labelled_names_ != context_.module_names()) {
        fill_module_filter();
    }
    if (new_kind) {
        fill_kind_filter();
    }
}

void ExchangeMonitor::fill_module_filter() {
    const QVariant chosen = module_filter->currentData();
    const QSignalBlocker quiet(module_filter);  // the choice stays as it was
    module_filter->clear();
    module_filter->addItem(QStringLiteral("Все модули"), kAllModules);
    labelled_names_ = context_.module_names();
    for (const vx::ExchangeTarget& target : seen_modules_) {
        module_filter->addItem(module_label(target), module_key(target));
    }
    module_filter->setCurrentIndex(std::max(0, module_filter->findData(chosen)));
    apply_module_filter();
}

void ExchangeMonitor::fill_kind_filter() {
    const QVariant chosen = kind_filter->currentData();
    const QSignalBlocker quiet(kind_filter);
    kind_filter->clear();
    kind_filter->addItem(QStringLiteral("Все запросы"), QString());
    std::vector<std::pair<QString, QString>> kinds;  // in words, internal
    for (const std::string& operation : seen_operations_) {
        kinds.emplace_back(text(vx::exchange_request_kind(operation)), text(operation));
    }
    std::sort(kinds.begin(), kinds.end());
    for (const auto& [words, operation] : kinds) {
        kind_filter->addItem(words, operation);
    }
    kind_filter->setCurrentIndex(std::max(0, kind_filter->findData(chosen)));
    apply_kind_filter();
}

void ExchangeMonitor::apply_module_filter() {
    const int key = module_filter->currentData().toInt();
    filter->set_module(key == kAllModules ? std::nullopt
                                          : std::optional<vx::ExchangeTarget>(module_of_key(key)));
}

void ExchangeMonitor::apply_kind_filter() {
    filter->set_operation(kind_filter->currentData().toString().toStdString());
}

void ExchangeMonitor::fit_columns(const std::vector<vx::ExchangeRecord>& records) {
    const QFontMetrics metrics = table->fontMetrics();
    const int margin = cell_margin(*table);
    for (const int column : {ExchangeTableModel::module, ExchangeTableModel::request}) {
        int widest = table->columnWidth(column);
        for (const vx::ExchangeRecord& r : records) {
            widest = std::max(
                widest,
                metrics.horizontalAdvance(ExchangeTableModel::cell_text(r, column)) + margin);
        }
        if (widest > table->columnWidth(column)) {
            table->setColumnWidth(column, widest);
        }
    }
}

}  // namespace vx::ui
