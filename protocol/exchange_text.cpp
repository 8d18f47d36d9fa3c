// The exchange record's texts, shared by the exchange monitor and the support report.
#include "protocol/exchange_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "protocol/Socket_func.h"

namespace vx {

std::string exchange_result_text(int result) {
    // U+2212, the minus sign, as the codes are written for the installer.
    const std::string code = " (\u2212" + std::to_string(-result) + ')';
    switch (result) {
        case kDone:
            return "выполнено";
        case kNoReply:
            return "нет ответа" + code;
        case kBadEcho:
            return "неверный ответ" + code;
        case kTransferFailed:
            return "передача не выполнена" + code;
        default:
            return result < 0 ? "ошибка" + code : "ошибка (" + std::to_string(result) + ')';
    }
}

std::string hex_bytes(const std::vector<uint8_t>& bytes, std::size_t limit) {
    const bool cut = limit != 0 && bytes.size() > limit;
    const std::size_t shown = cut ? limit : bytes.size();
    std::string text;
    text.reserve(shown * 3 + 16);
    char pair[4];
    for (std::size_t i = 0; i < shown; ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    if (cut) {
        text += " … (" + std::to_string(bytes.size()) + " байт)";
    }
    return text;
}

std::string hex_dump(const std::vector<uint8_t>& bytes) {
    std::string text;
    char offset_text[16];
    for (std::size_t offset = 0; offset < bytes.size(); offset += 16) {
        const std::size_t end = std::min(bytes.size(), offset + 16);
        std::snprintf(offset_text, sizeof offset_text, "%04X  ", static_cast<unsigned>(offset));
        text += offset_text;
        text += hex_bytes({bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                           bytes.begin() + static_cast<std::ptrdiff_t>(end)});
        text += '\n';
    }
    return text;
}

std::string exchange_request_text(const ExchangeRecord& record) {
    return record.parameters.empty() ? record.operation
                                     : record.operation + ' ' + record.parameters;
}

std::string exchange_target_text(const ExchangeTarget& target) {
    switch (target.kind) {
        case ExchangeTarget::Kind::bus_module:
            return "Tarnet+ " + std::to_string(target.address);
        case ExchangeTarget::Kind::modbus_device:
            return "ModBus " + std::to_string(target.address);
        case ExchangeTarget::Kind::none:
            break;
    }
    return {};
}

std::string milliseconds_text(std::chrono::microseconds duration) {
    // Not printf: a Russian locale would give "1,5", and printf takes an exact half
    // (x.25, x.75 ms) to even where the monitor has always taken it up.
    const long long us = duration.count();
    const double ms = static_cast<double>(us) / 1000.0 + (us % 500 == 250 ? 0.01 : 0.0);
    char text[32];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, ms, std::chars_format::fixed, 1);
    return {text, end.ptr};
}

std::string exchange_log_line(const ExchangeRecord& record, const std::string& time) {
    return time + '\t' + exchange_request_text(record) + '\t' +
           exchange_target_text(record.target) + "\tотправлено: " + hex_bytes(record.sent) +
           "\tполучено: " + hex_bytes(record.received) + '\t' +
           exchange_result_text(record.result) + '\t' + milliseconds_text(record.duration) + " мс";
}

}  // namespace vx
