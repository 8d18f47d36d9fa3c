// What the manual's function table says of each built-in function and its parameters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx::language {

struct ParameterDoc {
    std::string name;     // UTF-8, as the manual writes it: "адрес"
    std::string meaning;  // UTF-8
    std::string range;    // UTF-8, "0–255"; empty when the table gives none
};

struct FunctionDoc {
    std::string name;     // as the compiler spells it
    std::string purpose;  // UTF-8
    std::vector<ParameterDoc> parameters;

    // "SetThermoregOutput(адрес, канал, значение)"
    std::string signature() const;
};

// "канал — канал терморегулятора; 0"
std::string parameter_line(const ParameterDoc& parameter);

// Every function of the table, in the table's order.
const std::vector<FunctionDoc>& function_docs();

// The function named exactly `name`, or nullptr.
const FunctionDoc* find_function_doc(std::string_view name);

// Reads a table: name<TAB>purpose<TAB>parameter..., a parameter as
// name|meaning|range; lines starting with '#' and blank lines are skipped.
std::vector<FunctionDoc> parse_function_table(std::string_view text);

}  // namespace vx::language
