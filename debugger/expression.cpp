// Expressions through the compiler: "var[0] = EXPR;" compiles to one assignment whose
// operands and operation are the expression's.
#include "debugger/expression.h"

#include "compiler/compile_program.h"
#include "sim/program_interpreter.h"

namespace vx::debugger {

namespace {

constexpr std::string_view kPrefix = "var[0] = ";

}  // namespace

std::string Expression::parse(std::string_view text) {
    text_ = std::string(text);
    if (text.find_first_of(";{}") != std::string_view::npos) {
        return "Ожидалось одно выражение: операнд, операция и операнд.";
    }
    std::string source(kPrefix);
    source += text;
    source += ';';
    CompileError error;
    CompiledProgram program;
    const int result = compile_source(source, error, program);
    if (result != kCompiled) {
        std::string message = compile_failure_message(result, error, "выражение");
        const int column = error.column - static_cast<int>(kPrefix.size());
        if (column > 0) {
            message = "(позиция " + std::to_string(column) + ") " + message;
        }
        return message;
    }
    const std::vector<Instruction>& code = program.instructions;
    if (code.size() != 1 || code[0].op3 != kind::kAssign) {
        return "Выражение не может вызывать функцию.";
    }
    const Instruction& in = code[0];
    first_ = {in.type1 == operand::kVariable, in.arg1};
    second_ = {in.type2 == operand::kVariable, in.arg2};
    operation_ = in.op2;
    return {};
}

uint16_t Expression::value_of(const Operand& operand, const Variables& variables) const {
    return operand.variable ? variables[operand.value % variables.size()] : operand.value;
}

uint16_t Expression::evaluate(const Variables& variables) const {
    uint16_t result = 0;
    const uint16_t a = value_of(first_, variables);
    const uint16_t b = sim::is_unary_operation(operation_) ? 0 : value_of(second_, variables);
    sim::apply_operation(operation_, a, b, result);
    return result;
}

std::string LogMessage::parse(std::string_view text) {
    pieces_.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open == std::string_view::npos) {
            pieces_.push_back({std::string(text.substr(at)), {}, true});
            break;
        }
        if (open > at) {
            pieces_.push_back({std::string(text.substr(at, open - at)), {}, true});
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) {
            return "В сообщении нет закрывающей скобки } после позиции " +
                   std::to_string(open + 1) + ".";
        }
        Piece piece{{}, {}, false};
        if (std::string problem = piece.expression.parse(text.substr(open + 1, close - open - 1));
            !problem.empty()) {
            return "{" + std::string(text.substr(open + 1, close - open - 1)) + "}: " + problem;
        }
        pieces_.push_back(std::move(piece));
        at = close + 1;
    }
    return {};
}

std::string LogMessage::format(const Variables& variables) const {
    std::string out;
    for (const Piece& piece : pieces_) {
        out += piece.literal ? piece.text : std::to_string(piece.expression.evaluate(variables));
    }
    return out;
}

}  // namespace vx::debugger
