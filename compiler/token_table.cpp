// The token table of the language and the numbers of its built-in functions.
#include "compiler/token_table.h"

#include <cstring>

namespace vx {

namespace {

struct FixedToken {
    uint8_t id;
    uint8_t type;
    const char* text;
};

// Every entry that is not a built-in function.
// clang-format off
constexpr FixedToken kFixedTokens[] = {
    {0, kPunctuation, "["},
    {1, kPunctuation, "]"},
    {2, kPunctuation, ","},
    {3, kPunctuation, "("},
    {4, kPunctuation, ")"},
    {5, kPunctuation, ";"},
    {6, kPunctuation, ":"},
    {7, kOperator, "+"},
    {8, kOperator, "-"},
    {9, kOperator, "*"},
    {10, kOperator, "/"},
    {11, kOperator, "!="},
    {12, kOperator, "=="},
    {13, kOperator, "<"},
    {14, kOperator, ">"},
    {15, kOperator, "<="},
    {16, kOperator, ">="},
    {17, kOperator, "&&"},
    {18, kOperator, "||"},
    {19, kOperator, "!"},
    {20, kOperator, "%"},
    {21, kAssignment, "="},
    {22, kVarKeyword, "var"},
    {23, kIfKeyword, "if"},
    {24, kLabelKeyword, "label"},
    {25, kGotoKeyword, "goto"},
    {26, kPassKeyword, "pass"},
    {49, kElseKeyword, "else"},
    {50, kPunctuation, "{"},
    {51, kPunctuation, "}"},
    {57, kOperator, "$!="},
    {58, kOperator, "$=="},
    {59, kOperator, "$<"},
    {60, kOperator, "$>"},
    {61, kOperator, "$<="},
    {62, kOperator, "$>="},
};
// clang-format on

// The built-in functions in the order of the numbers the controller knows
// them by, which is not the order of the token table.
// clang-format off
constexpr BuiltinFunction kFunctions[kBuiltinFunctionCount] = {
    {"StartTimer", 27, 2, 1},
    {"StopTimer", 28, 1, 2},
    {"GetTime", 29, 0, 3},
    {"GetHour", 30, 0, 4},
    {"GetMin", 31, 0, 5},
    {"GetDay", 32, 0, 6},
    {"GetMonth", 33, 0, 7},
    {"GetYear", 34, 0, 8},
    {"Set_Relay_State", 35, 3, 9},
    {"Set_Relays_State", 36, 3, 10},
    {"Get_Point_State", 37, 2, 11},
    {"GetUnitData", 38, 1, 12},
    {"SetAnalogOutput", 39, 3, 13},
    {"GetUnitData0", 40, 1, 14},
    {"GetUnitData1", 41, 1, 15},
    {"SetThermoregOutput", 42, 3, 16},
    {"Set_VXDM4_DimOutput", 43, 3, 17},
    {"Get_VXDM4_OnOffOutput", 44, 2, 18},
    {"Get_VXDM4_DimOutput", 45, 2, 19},
    {"GetUnitActiveStatus", 46, 1, 20},
    {"VXVC_Play", 47, 2, 21},
    {"ForceSingleCoil", 48, 3, 22},
    {"GetDayofWeek", 52, 0, 23},
    {"Random", 53, 1, 24},
    {"GetVarByNum", 54, 1, 25},
    {"SetVarByNum", 55, 2, 26},
    {"Shutdown", 56, 1, 27},
    {"StatVar", 71, 1, 28},
    {"SetPrgParam", 72, 2, 29},
    {"GetPrgParam", 73, 1, 30},
    {"Set_Unit_Param", 63, 3, 31},
    {"Get_Unit_Param", 64, 2, 32},
    {"GetMBUnitStatus", 65, 1, 33},
    {"SendRemoteCmd", 66, 4, 34},
    {"ReadInt16Register", 67, 5, 35},
    {"PresetInt16Reg", 68, 4, 36},
    {"OnChangeVarValue", 69, 1, 37},
    {"SetVarDefValue", 70, 2, 38},
    {"FanSpeedSetup", 74, 5, 39},
    {"CalculateFanSpeed", 75, 4, 40},
};
// clang-format on

static_assert(std::size(kFixedTokens) + std::size(kFunctions) == kTokenTableSize);

}  // namespace

TokenTable build_token_table() {
    TokenTable table{};
    for (const FixedToken& t : kFixedTokens) {
        table[t.id] = {t.id, t.type, t.text, static_cast<int32_t>(std::strlen(t.text)), 0};
    }
    for (const BuiltinFunction& f : kFunctions) {
        table[f.token_id] = {f.token_id, kFunctionName, f.name,
                             static_cast<int32_t>(std::strlen(f.name)), f.param_count};
    }
    return table;
}

const TokenTable& token_table() {
    static const TokenTable table = build_token_table();
    return table;
}

namespace {

// Where a text can only be: a hash of its length, first, middle and last
// bytes, with factors chosen so that the 76 entries land in 76 different
// slots. A lookup is one hash and one comparison with the entry found.
std::size_t text_slot(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    return (text.size() * 12 + byte(0) * 28 + byte(text.size() - 1) * 42 + byte(text.size() / 2)) &
           0xFF;
}

constexpr uint8_t kNoEntry = 0xFF;

const std::array<uint8_t, 256>& slots() {
    static const auto table = [] {
        std::array<uint8_t, 256> slot{};
        slot.fill(kNoEntry);
        for (const TokenDef& def : token_table()) {
            slot[text_slot(def.text)] = def.id;
        }
        return slot;
    }();
    return table;
}

}  // namespace

const TokenDef* find_token_def(const TokenTable& table, std::string_view text) {
    if (text.empty()) {
        return nullptr;
    }
    const uint8_t id = slots()[text_slot(text)];
    if (id == kNoEntry) {
        return nullptr;
    }
    const TokenDef& def = table[id];
    if (static_cast<std::size_t>(def.length) != text.size() ||
        std::memcmp(def.text, text.data(), text.size()) != 0) {
        return nullptr;
    }
    return &def;
}

std::span<const BuiltinFunction> builtin_functions() {
    return kFunctions;
}

const BuiltinFunction* builtin_function_by_token(uint8_t token_id) {
    static const auto by_token = [] {
        std::array<const BuiltinFunction*, kTokenTableSize> index{};
        for (const BuiltinFunction& f : kFunctions) {
            index[f.token_id] = &f;
        }
        return index;
    }();
    return token_id < kTokenTableSize ? by_token[token_id] : nullptr;
}

const BuiltinFunction* builtin_function_by_number(int number) {
    if (number < 1 || number > kBuiltinFunctionCount) {
        return nullptr;
    }
    return &kFunctions[number - 1];
}

}  // namespace vx
