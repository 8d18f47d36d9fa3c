// The exchange record's texts, shared by the exchange monitor and the support report.
#include "protocol/exchange_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

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

const std::vector<RequestWords>& request_words() {
    static const std::vector<RequestWords> table = {
        // the bus
        {"rescan_bus", "Поиск модулей на шине", "Поиск модулей на шине"},
        {"voice_module_command", "Команда голосовому модулю",
         "Команда {3} голосовому модулю {1}, сообщение {2}"},
        {"read_module_types", "Чтение типов модулей", "Чтение типов модулей"},
        {"read_module_io", "Чтение входов и выходов модулей", "Чтение входов и выходов модулей"},
        // the controller
        {"set_service_state", "Включение и выключение службы", "Служба {1}: состояние {2}"},
        {"query_service_state", "Запрос состояния службы", "Запрос состояния службы {1}"},
        {"start_addressing", "Начало адресации", "Начало адресации"},
        {"register_new_module", "Регистрация модуля", "Регистрация модуля {1}"},
        {"read_module_count", "Чтение числа модулей", "Чтение числа модулей"},
        {"read_module_info", "Чтение версии модуля", "Чтение версии модуля {1}"},
        {"write_controller_clock", "Установка часов контроллера",
         "Установка часов контроллера ({1}): {2} {3} {4}"},
        {"read_controller_clock", "Чтение часов контроллера", "Чтение часов контроллера"},
        {"read_controller_version", "Чтение версии контроллера", "Чтение версии контроллера"},
        {"commit_settings", "Сохранение настроек", "Сохранение настроек"},
        {"set_cycle_delay", "Установка задержки цикла", "Установка задержки цикла {1}"},
        {"read_cycle_delay", "Чтение задержки цикла", "Чтение задержки цикла"},
        {"reboot_controller", "Перезапуск контроллера", "Перезапуск контроллера"},
        {"reboot_controller_nocheck", "Перезапуск контроллера без проверки",
         "Перезапуск контроллера без проверки"},
        {"read_module_health", "Чтение состояния модулей", "Чтение состояния модулей"},
        // the modules
        {"write_discrete_outputs", "Запись дискретных выходов",
         "Запись дискретных выходов модуля {1}: операция {2}, маска {3}"},
        {"read_module_parameter", "Чтение параметра модуля", "Чтение параметра {2} модуля {1}"},
        {"write_module_parameter", "Запись параметра модуля",
         "Запись параметра {2} модуля {1} = {3}"},
        {"write_analog_output", "Запись аналогового выхода",
         "Запись аналогового выхода {2} модуля {1} = {3}"},
        {"thermostat_command", "Команда термостату", "Команда {3} термостату {2} модуля {1}"},
        {"modbus_read_register", "Чтение регистра ModBus",
         "Чтение регистра {3} устройства ModBus {2}, функция {1}"},
        {"modbus_write_register", "Запись регистра ModBus",
         "Запись регистра {2} устройства ModBus {1} = {3}"},
        {"modbus_write_coil", "Запись катушки ModBus",
         "Запись катушки {2} устройства ModBus {1} = {3}"},
        // transfers
        {"transfer_begin", "Начало передачи файла", "Начало передачи файла {1}: {2} байт"},
        {"transfer_chunk", "Передача части файла", "Передача файла {1} с байта {2}"},
        {"transfer_end", "Конец передачи файла", "Конец передачи файла {1}"},
        // the variables
        {"reset_timers_and_variables", "Сброс таймеров и переменных",
         "Сброс таймеров и переменных"},
        {"write_variable", "Запись переменной", "Запись переменной {1} = {2}"},
        {"write_start_value", "Запись начального значения",
         "Запись начального значения переменной {1} = {2}"},
        {"read_start_values", "Чтение начальных значений", "Чтение начальных значений"},
        {"read_variables", "Чтение переменных", "Чтение переменных"},
        {"write_poll_frequency", "Запись частоты опроса", "Запись частоты опроса модуля {1} = {2}"},
        {"read_poll_frequencies", "Чтение частот опроса", "Чтение частот опроса"},
        // the serial link
        {"x10_read_table", "Чтение таблицы X10", "Чтение таблицы X10 {1}"},
        {"x10_set_entry", "Запись в таблицу X10",
         "Запись в таблицу X10 {1}: дом {2}, клавиша {3} = {4}"},
        {"serial_commit_settings", "Сохранение настроек по COM-порту",
         "Сохранение настроек по COM-порту"},
        {"serial_shutdown", "Выключение по COM-порту", "Выключение по COM-порту"},
        // bytes sent outside any request
        {"exchange", "Обмен байтами", "Обмен байтами"},
    };
    return table;
}

namespace {

const RequestWords* find_words(const std::string& operation) {
    const std::vector<RequestWords>& table = request_words();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const RequestWords& w) { return operation == w.name; });
    return found == table.end() ? nullptr : &*found;
}

// The text with "{N}" replaced by the Nth of the blank-separated parameters;
// nothing when it names one that is not there.
std::optional<std::string> fill_in(const char* text, const std::string& parameters) {
    std::vector<std::string> values;
    for (std::size_t at = 0; at < parameters.size();) {
        const std::size_t end = std::min(parameters.find(' ', at), parameters.size());
        values.push_back(parameters.substr(at, end - at));
        at = end + 1;
    }
    std::string filled;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '{' && p[1] >= '1' && p[1] <= '9' && p[2] == '}') {
            const auto index = static_cast<std::size_t>(p[1] - '1');
            if (index >= values.size()) {
                return std::nullopt;
            }
            filled += values[index];
            p += 2;
        } else {
            filled += *p;
        }
    }
    return filled;
}

}  // namespace

std::string exchange_request_kind(const std::string& operation) {
    const RequestWords* words = find_words(operation);
    return words == nullptr ? operation : words->kind;
}

std::string exchange_request_title(const ExchangeRecord& record) {
    if (const RequestWords* words = find_words(record.operation); words != nullptr) {
        if (std::optional<std::string> filled = fill_in(words->text, record.parameters)) {
            return *filled;
        }
    }
    const std::string kind = exchange_request_kind(record.operation);
    return record.parameters.empty() ? kind : kind + ' ' + record.parameters;
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
