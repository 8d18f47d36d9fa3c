// The texts of an exchange record as the installer reads them (UTF-8): the request,
// its bytes in hex, the result in words, the module and the round trip.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/exchange_observer.h"

namespace vx {

// "выполнено", "нет ответа (−15)", "неверный ответ (−16)" ...
std::string exchange_result_text(int result);
// "06 00 06"; more than limit bytes are cut: "06 00 … (300 байт)". limit 0: all.
std::string hex_bytes(const std::vector<uint8_t>& bytes, std::size_t limit = 0);
// Sixteen bytes a line behind their offset: the detail of one exchange.
std::string hex_dump(const std::vector<uint8_t>& bytes);
// "read_module_info 17": the request's internal name, for the hex pane and the logs.
std::string exchange_request_text(const ExchangeRecord& record);

// A request the installer reads in words: its internal name, its kind, and its
// text with the parameters put in ({1} is the first of them).
struct RequestWords {
    const char* name;  // "read_module_parameter"
    const char* kind;  // "Чтение параметра модуля"
    const char* text;  // "Чтение параметра {2} модуля {1}"
};
// Every request the protocol and the serial link name, with its words.
const std::vector<RequestWords>& request_words();
// "Чтение параметра модуля"; a name the table does not know stays as it is.
std::string exchange_request_kind(const std::string& operation);
// "Чтение параметра 100 модуля 120"; an unknown name (or parameters the text
// does not fit) falls back to the kind followed by the parameters.
std::string exchange_request_title(const ExchangeRecord& record);
// "Tarnet+ 17", "ModBus 5"; "" for a request that names no module.
std::string exchange_target_text(const ExchangeTarget& target);
// "1.5": a round trip in milliseconds, one decimal.
std::string milliseconds_text(std::chrono::microseconds duration);
// One line of a saved log, tab-separated, with every byte; time is the start's text.
std::string exchange_log_line(const ExchangeRecord& record, const std::string& time);

}  // namespace vx
