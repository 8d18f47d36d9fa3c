// Exchange records as CSV rows, with the watch CSV's conventions.
#include "commissioning/exchange_csv.h"

#include <iterator>

#include "commissioning/csv_text.h"
#include "commissioning/local_time.h"
#include "protocol/exchange_text.h"

namespace vx::commissioning {

std::string exchange_csv_header() {
    return "Время;Модуль;Запрос;Результат;Время, мс;Отправлено;Получено";
}

std::string exchange_csv_row(const ExchangeRecord& record) {
    const std::string fields[] = {
        local_time_text(record.start),      exchange_target_text(record.target),
        exchange_request_title(record),     exchange_result_text(record.result),
        milliseconds_text(record.duration), hex_bytes(record.sent),
        hex_bytes(record.received)};
    std::string row = csv_field(fields[0]);
    for (std::size_t i = 1; i < std::size(fields); ++i) {
        row += kCsvSeparator;
        row += csv_field(fields[i]);
    }
    return row;
}

std::string exchange_csv(const std::vector<const ExchangeRecord*>& records) {
    std::string text = std::string(kCsvByteOrderMark) + exchange_csv_header() + kCsvRowEnd;
    for (const ExchangeRecord* record : records) {
        text += exchange_csv_row(*record) + kCsvRowEnd;
    }
    return text;
}

}  // namespace vx::commissioning
