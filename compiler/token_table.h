// The language's fixed vocabulary: token types, the 76-entry token table and the built-in
// functions.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vx {

// Token types, as the table and every pass number them.
enum TokenType : uint8_t {
    kUnrecognised = 0,  // not in the table and not starting with a digit
    kPunctuation = 1,   // [ ] , ( ) ; : { }
    kOperator = 2,      // + - * / != == < > <= >= && || ! % $!= $== $< $> $<= $>=
    kAssignment = 3,    // =
    kNumber = 4,        // decimal constant
    kVarKeyword = 5,    // var
    kIfKeyword = 6,     // if
    kFunctionName = 7,  // one of the 40 built-in functions
    kLabelKeyword = 8,  // label (and the brackets and colons of generated label chains)
    kGotoKeyword = 9,   // goto
    kPassKeyword = 10,  // pass
    kElseKeyword = 11,  // else
};

// One entry of the token table.
struct TokenDef {
    uint8_t id;           // the entry's own index
    uint8_t type;         // TokenType
    const char* text;     // NUL-terminated
    int32_t length;       // byte length of text
    uint8_t param_count;  // parameters of a built-in function; 0 for every other entry
};

constexpr int kTokenTableSize = 76;
using TokenTable = std::array<TokenDef, kTokenTableSize>;

// Ids of the entries the passes look for by id.
namespace token_id {
constexpr uint8_t kOpenBracket = 0;
constexpr uint8_t kCloseBracket = 1;
constexpr uint8_t kComma = 2;
constexpr uint8_t kOpenParen = 3;
constexpr uint8_t kCloseParen = 4;
constexpr uint8_t kSemicolon = 5;
constexpr uint8_t kColon = 6;
constexpr uint8_t kVar = 22;
constexpr uint8_t kIf = 23;
constexpr uint8_t kLabel = 24;
constexpr uint8_t kGoto = 25;
constexpr uint8_t kElse = 49;
constexpr uint8_t kOpenBrace = 50;
constexpr uint8_t kCloseBrace = 51;
}  // namespace token_id

// The table, built once; the passes share this one immutable copy.
const TokenTable& token_table();

// A fresh copy of the table, entry for entry as token_table().
TokenTable build_token_table();

// First entry whose text equals `text` byte for byte (case-sensitive), or nullptr.
const TokenDef* find_token_def(const TokenTable& table, std::string_view text);

// A built-in function: its name, its token table entry, its parameter count and
// the number under which the controller's interpreter knows it.
struct BuiltinFunction {
    const char* name;
    uint8_t token_id;
    uint8_t param_count;
    uint8_t number;  // 1 to 40, the arg1 of a call instruction
};

constexpr int kBuiltinFunctionCount = 40;

// The 40 functions in the order of their controller numbers (1 first).
std::span<const BuiltinFunction> builtin_functions();

// The function of a token table id or of a controller number, or nullptr.
const BuiltinFunction* builtin_function_by_token(uint8_t token_id);
const BuiltinFunction* builtin_function_by_number(int number);

}  // namespace vx
