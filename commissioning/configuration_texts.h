// The installer's words for a configuration: counts with their Russian noun forms, the
// place of a difference, the steps of a read or a restore and the question before a write.
#pragma once

#include <optional>
#include <string>

#include "commissioning/configuration.h"
#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_restore.h"

namespace vx::commissioning {

// The noun's form for a count: one for 1, 21, 101; few for 2-4, 22-24; many for 0, 5-20,
// 11-14, 111.
struct NounForms {
    const char* one;   // "строка"
    const char* few;   // "строки"
    const char* many;  // "строк"
};
inline constexpr NounForms kRowForms{"строка", "строки", "строк"};
const char* noun_form(long long count, const NounForms& forms);
// "3 строки".
std::string count_text(long long count, const NounForms& forms);

// The element of a difference within its section: "Переменная 12", "Модуль 1, параметр 16",
// "All Lights On, B1"; "" for the cycle delay.
std::string difference_element(const Difference& difference);
// "Начальные значения переменных — Переменная 12", "Задержка цикла".
std::string difference_title(const Difference& difference);

// "Модуль 57 (VX-2O)".
std::string module_title(int address, const std::string& name);
// "Параметры модулей — Модуль 57 (VX-2O)".
std::string module_parameters_title(int address, const std::string& name);

// What a configuration holds at the place of a difference, as the difference's texts say it
// ("on"/"off" for services and X10 entries, else the number); nothing when it does not hold it.
std::optional<std::string> value_text_at(const Configuration& configuration,
                                         const Difference& place);

// The question before a restore writes: the selected rows counted by section, in the order
// they are written ("Будет записано в контроллер: Начальные значения переменных — 3 строки,
// Частоты опроса — 1 строка. Продолжить?"); "" when no row is selected.
std::string write_question(const RestorePlan& plan);

}  // namespace vx::commissioning
