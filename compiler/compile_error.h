// The compiler's one diagnostic record and the texts of its codes.
#pragma once

#include <cstdint>
#include <string>

namespace vx {

struct Token;

// Codes of the message table. kNoFault is the state of a fresh record;
// kOwnText is a fault whose text the record holds itself.
namespace fault {
constexpr int32_t kNoFault = -2;
constexpr int32_t kOwnText = -1;
constexpr int32_t kUnknownToken = 0;  // reserved
constexpr int32_t kMisplacedToken = 1;
constexpr int32_t kUnexpectedEnd = 2;
constexpr int32_t kAssignmentExpected = 3;  // reserved
constexpr int32_t kConstantExpected = 4;
constexpr int32_t kBadVariable = 5;
constexpr int32_t kVariableExpected = 6;  // reserved
constexpr int32_t kFunctionNotFound = 7;  // reserved
constexpr int32_t kIndexOutOfRange = 8;
constexpr int32_t kWrongParamCount = 9;
constexpr int32_t kLabelExpected = 10;
constexpr int32_t kBadLabel = 11;
constexpr int32_t kLabelBeforeGoto = 12;
constexpr int32_t kLabelTwice = 13;
constexpr int32_t kLabelNotFound = 14;
constexpr int32_t kInternal = 15;
constexpr int32_t kElseExpected = 16;
constexpr int32_t kInternal17 = 17;  // reserved
constexpr int32_t kMissingBrace = 18;
}  // namespace fault

// Own texts (code -1), UTF-8.
extern const char* const kExtraBraceText;  // a `}` outside any block
extern const char* const kTooManyIfText;   // generated label numbers ran out
extern const char* const kJumpTooFarText;  // a jump target beyond index 65535

struct CompileError {
    int32_t code = fault::kNoFault;
    std::string message;  // the text of a code -1 fault, UTF-8; empty otherwise
    int32_t column = 0;   // 1-based; 0 when unknown
    int32_t line = 0;     // 1-based; 0 when unknown
};

// Records a numbered fault at a position (drops any own text).
void record_fault(CompileError& error, int32_t code, int32_t column, int32_t line);
// Records a numbered fault at a token's position.
void record_fault(CompileError& error, int32_t code, const Token& token);
// Records a code -1 fault with its own text.
void record_own_fault(CompileError& error, std::string text, int32_t column, int32_t line);

// The message of a record's code, UTF-8: the table's text, the record's own
// text for -1, "Неизвестный код ошибки" for any code outside the table.
std::string compile_error_message(const CompileError& error);

// The line the program editor shows for a fault: "(column : line) message".
std::string diagnostic_line(const CompileError& error);

}  // namespace vx
