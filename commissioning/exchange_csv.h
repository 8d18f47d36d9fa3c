// The exchanges as CSV, as the exchange monitor saves those it shows: the time,
// the module, the request in words, the result, the round trip and every byte.
#pragma once

#include <string>
#include <vector>

#include "protocol/exchange_observer.h"

namespace vx::commissioning {

// "Время;Модуль;Запрос;Результат;Время, мс;Отправлено;Получено"
std::string exchange_csv_header();
// "2026-12-09 14:03:27.125;Tarnet+ 17;Чтение версии модуля 17;выполнено;1.5;51 04;06 00 06"
std::string exchange_csv_row(const ExchangeRecord& record);
// The whole file: the byte-order mark, the header, then one row per record.
std::string exchange_csv(const std::vector<const ExchangeRecord*>& records);

}  // namespace vx::commissioning
