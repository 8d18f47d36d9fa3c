// The message table of the compiler's diagnostics.
#include "compiler/compile_error.h"

#include <iterator>
#include <utility>

#include "compiler/token_list.h"

namespace vx {

const char* const kExtraBraceText = "Лишняя закрывающая скобка ( место положения не известно ).";
const char* const kTooManyIfText =
    "Слишком много операторов if: номера меток для них исчерпаны "
    "(в программе может быть не более 21512 операторов if).";
const char* const kJumpTooFarText =
    "Программа слишком длинная: переход на метку, стоящую дальше 65535-й команды, "
    "невозможен.";

namespace {

constexpr const char* kNoFaultText = "Ошибок не найдено.";
constexpr const char* kUnknownCodeText = "Неизвестный код ошибки";

// Texts of codes 0 to 18.
constexpr const char* kMessages[] = {
    "Неизвестная лексема.",
    "Данная лексема не может располагаться на этом месте.",
    "Неожиданный конец файла.",
    "Ожидается оператор присваивания.",
    "Ожидалась константа.",
    "Неверное описание переменной. Пример: var[константа]",
    "Ожидалась переменная.",
    "Описание функции не найдено.",
    "Номер идентификатора выходит за допустимые пределы.",
    "Неверное количество параметров функции.",
    "Ожидалась метка.",
    "Неверное описание метки. Пример: label[константа]",
    "Метка не может быть объявлена раньше, чем ссылка goto.",
    "Метка не может быть объявлена дважды.",
    "Метка не найдена.",
    "Внутренняя ошибка транслятора.",
    "Ожидали оператор else",
    "Внутренняя ошибка транслятора.",
    "Отсутствует }",
};

}  // namespace

void record_fault(CompileError& error, int32_t code, int32_t column, int32_t line) {
    error.code = code;
    error.message.clear();
    error.column = column;
    error.line = line;
}

void record_fault(CompileError& error, int32_t code, const Token& token) {
    record_fault(error, code, token.column, token.line);
}

void record_own_fault(CompileError& error, std::string text, int32_t column, int32_t line) {
    error.code = fault::kOwnText;
    error.message = std::move(text);
    error.column = column;
    error.line = line;
}

std::string compile_error_message(const CompileError& error) {
    if (error.code == fault::kNoFault) {
        return kNoFaultText;
    }
    if (error.code == fault::kOwnText) {
        return error.message;
    }
    if (error.code >= 0 && error.code < static_cast<int32_t>(std::size(kMessages))) {
        return kMessages[error.code];
    }
    return kUnknownCodeText;
}

std::string diagnostic_line(const CompileError& error) {
    return "(" + std::to_string(error.column) + " : " + std::to_string(error.line) + ") " +
           compile_error_message(error);
}

}  // namespace vx
