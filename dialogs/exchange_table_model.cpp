// ExchangeTableModel and ExchangeFilter: the monitor's rows and which of them show.
#include "dialogs/exchange_table_model.h"

#include <algorithm>

#include "commissioning/local_time.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_text.h"

namespace vx::ui {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

// ---- the table's model -------------------------------------------------------

ExchangeTableModel::ExchangeTableModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(std::max<std::size_t>(capacity, 1)) {}

QString ExchangeTableModel::cell_text(const vx::ExchangeRecord& r, int column) {
    switch (column) {
        case time:  // "14:03:27.125": the local time of day of an exchange
            return text(vx::commissioning::local_time_text(r.start).substr(11));
        case module:
            return text(vx::exchange_target_text(r.target));
        case request:
            return text(vx::exchange_request_title(r));
        case sent:
            return text(vx::hex_bytes(r.sent, kShownBytes));
        case received:
            return text(vx::hex_bytes(r.received, kShownBytes));
        case result:
            return text(vx::exchange_result_text(r.result));
        case milliseconds:
            return text(vx::milliseconds_text(r.duration));
        default:
            return {};
    }
}

std::array<QString, ExchangeTableModel::column_count> ExchangeTableModel::widest_texts() {
    // A usual request; a cut table reply with its length; the longest result; a
    // round trip past the longest time limit.
    const QString cut = text(vx::hex_bytes(std::vector<uint8_t>(2056, 0xDD), kShownBytes));
    QString result;
    for (const int code : {vx::kDone, vx::kNoReply, vx::kBadEcho, vx::kTransferFailed}) {
        const QString candidate = text(vx::exchange_result_text(code));
        result = candidate.size() > result.size() ? candidate : result;
    }
    return {QStringLiteral("00:00:00.000"),
            QStringLiteral("ModBus 255"),
            QStringLiteral("Запись параметра 255 модуля 255 = 255"),
            cut,
            cut,
            result,
            QStringLiteral("30000.0")};
}

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
    return cell_text(record(index.row()), index.column());
}

QVariant ExchangeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QString captions[column_count] = {
        QStringLiteral("Время"),      QStringLiteral("Модуль"),   QStringLiteral("Запрос"),
        QStringLiteral("Отправлено"), QStringLiteral("Получено"), QStringLiteral("Результат"),
        QStringLiteral("мс")};
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

void ExchangeFilter::set_module(std::optional<vx::ExchangeTarget> module) {
    module_ = module;
    invalidateFilter();
}

void ExchangeFilter::set_operation(const std::string& operation) {
    operation_ = operation;
    invalidateFilter();
}

bool ExchangeFilter::accepts(const vx::ExchangeRecord& r) const {
    if ((failures_only_ && r.result == vx::kDone) || (module_ && r.target != *module_) ||
        (!operation_.empty() && r.operation != operation_)) {
        return false;
    }
    if (text_.isEmpty()) {
        return true;
    }
    for (int column = 0; column < ExchangeTableModel::column_count; ++column) {
        if (ExchangeTableModel::cell_text(r, column).contains(text_, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

bool ExchangeFilter::filterAcceptsRow(int source_row, const QModelIndex&) const {
    return accepts(static_cast<const ExchangeTableModel&>(*sourceModel()).record(source_row));
}

}  // namespace vx::ui
