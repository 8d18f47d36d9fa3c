// Token table and built-in functions: the vocabulary the lexer, manual and highlighter share.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "compiler/token_table.h"

namespace vx {
namespace {

TEST(TokenTable, IndexesEveryEntryByItsOwnId) {
    const TokenTable& table = token_table();
    std::set<std::string> texts;
    for (int i = 0; i < kTokenTableSize; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, table[i].text);
        EXPECT_EQ(i, table[i].id);
        EXPECT_EQ(static_cast<int32_t>(std::string(table[i].text).size()), table[i].length);
        EXPECT_TRUE(texts.insert(table[i].text).second) << "twice: " << table[i].text;
        EXPECT_EQ(table[i].type == kFunctionName, builtin_function_by_token(i) != nullptr);
        EXPECT_EQ(&table[i], find_token_def(table, table[i].text));
        if (table[i].type != kFunctionName) {
            EXPECT_EQ(0, table[i].param_count);
        }
    }
    EXPECT_EQ(build_token_table()[63].text, std::string("Set_Unit_Param"));
}

TEST(TokenTable, FindsEntriesByExactText) {
    const struct {
        const char* text;
        int id;  // -1: not in the table
    } cases[] = {
        {"[", 0},
        {"}", 51},
        {"=", 21},
        {"==", 12},
        {"$<=", 61},
        {"var", 22},
        {"else", 49},
        {"GetTime", 29},
        {"gettime", -1},
        {"GetTim", -1},
        {"$", -1},
        {"", -1},
        {"CalculateFanSpeed", 75},
        // A Cyrillic look-alike as the last letter (code page 1251): "е" is 0xE5, "e"
        // 0x65, so both land in one slot of the lookup; only the whole text tells.
        {"els\xE5", -1},
        {"GetTim\xE5", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TokenDef* def = find_token_def(token_table(), c.text);
        EXPECT_EQ(c.id, def != nullptr ? def->id : -1);
    }
}

TEST(BuiltinFunctions, NumberTheFortyFunctionsForTheController) {
    const auto functions = builtin_functions();
    ASSERT_EQ(40u, functions.size());
    for (int number = 1; number <= 40; ++number) {
        SCOPED_TRACE(number);
        const BuiltinFunction& f = functions[number - 1];
        EXPECT_EQ(number, f.number);
        EXPECT_EQ(&f, builtin_function_by_number(number));
        EXPECT_EQ(&f, builtin_function_by_token(f.token_id));
        EXPECT_STREQ(f.name, token_table()[f.token_id].text);
        EXPECT_EQ(f.param_count, token_table()[f.token_id].param_count);
    }
    EXPECT_EQ(nullptr, builtin_function_by_number(0));
    EXPECT_EQ(nullptr, builtin_function_by_number(41));

    // Where the controller's numbering leaves the table's order.
    const struct {
        const char* name;
        int number;
        int params;
    } samples[] = {
        {"StartTimer", 1, 2},      {"ForceSingleCoil", 22, 3},   {"GetDayofWeek", 23, 0},
        {"Shutdown", 27, 1},       {"StatVar", 28, 1},           {"GetPrgParam", 30, 1},
        {"Set_Unit_Param", 31, 3}, {"ReadInt16Register", 35, 5}, {"SetVarDefValue", 38, 2},
        {"FanSpeedSetup", 39, 5},  {"CalculateFanSpeed", 40, 4},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.name);
        const BuiltinFunction* f = builtin_function_by_number(s.number);
        ASSERT_NE(nullptr, f);
        EXPECT_STREQ(s.name, f->name);
        EXPECT_EQ(s.params, f->param_count);
    }
}

}  // namespace
}  // namespace vx
