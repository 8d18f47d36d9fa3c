// The disassembler: instruction kinds, operands and jump targets in words.
#include "tools/vxc/disassembler.h"

#include <cstdio>

#include "compiler/token_table.h"

namespace vx {

namespace {

constexpr uint16_t kVariableCount = 1024;

std::string index_text(std::size_t index) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04zu", index);
    return buffer;
}

std::string raw_bytes(const Instruction& in) {
    const auto bytes = encode_instruction(in);
    std::string text;
    char buffer[4];
    for (uint8_t b : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X", b);
        if (!text.empty()) {
            text += ' ';
        }
        text += buffer;
    }
    return text;
}

// Formats one operand; false when its type is not one the compiler writes
// or a variable index lies beyond the controller's 1024 variables.
bool operand_text(uint16_t arg, uint8_t type, std::string& out) {
    switch (type) {
        case operand::kConstant:
            out = std::to_string(arg);
            return true;
        case operand::kParam:
            out = "param[" + std::to_string(arg) + "]";
            return true;
        case operand::kVariable:
            out = "var[" + std::to_string(arg) + "]";
            return arg < kVariableCount;
        default:
            out = "?";
            return false;
    }
}

// A source operand: a constant or a variable.
bool value_text(uint16_t arg, uint8_t type, std::string& out) {
    return operand_text(arg, type, out) &&
           (type == operand::kConstant || type == operand::kVariable);
}

class Lister {
public:
    explicit Lister(const std::vector<Instruction>& instructions) : all_(instructions) {}

    Disassembly run() {
        for (std::size_t i = 0; i < all_.size(); ++i) {
            std::string operands;
            std::string problem;
            const char* kind = describe(i, operands, problem);
            std::string line = index_text(i) + "  ";
            if (problem.empty()) {
                line += kind;
                line.append(8 - std::string(kind).size(), ' ');
                line += operands;
            } else {
                line += "?       " + raw_bytes(all_[i]);
                if (result_.first_problem.empty()) {
                    result_.first_problem = "команда " + std::to_string(i) + ": " + problem;
                }
            }
            result_.text += line + "\n";
        }
        return std::move(result_);
    }

private:
    const char* describe(std::size_t i, std::string& out, std::string& problem) {
        const Instruction& in = all_[i];
        switch (in.op3) {
            case kind::kAssign:
                describe_assign(in, out, problem);
                return "assign";
            case kind::kCondition:
                describe_condition(in, out, problem);
                return "cond";
            case kind::kJump:
                describe_jump(in, out, problem);
                return "jump";
            case kind::kCall:
                describe_call(in, out, problem);
                return "call";
            case kind::kLabel:
                if (in.type3 != operand::kConstant) {
                    problem = "у метки нет номера";
                }
                out = std::to_string(in.arg3);
                return "label";
            default:
                problem = "неизвестный вид команды " + std::to_string(in.op3);
                return "?";
        }
    }

    void describe_assign(const Instruction& in, std::string& out, std::string& problem) {
        std::string destination, a, b;
        if ((in.type3 != operand::kVariable && in.type3 != operand::kParam) ||
            !operand_text(in.arg3, in.type3, destination) || !value_text(in.arg1, in.type1, a)) {
            problem = "неверные операнды присваивания";
            return;
        }
        if (in.op2 == kOpCopy) {
            out = destination + " = " + a;
        } else if (in.op2 == kOpNot) {
            out = destination + " = !" + a;
        } else if (operation_text(in.op2) != nullptr && value_text(in.arg2, in.type2, b)) {
            out = destination + " = " + a + " " + operation_text(in.op2) + " " + b;
        } else {
            problem = "неизвестная операция " + std::to_string(in.op2);
        }
    }

    void describe_condition(const Instruction& in, std::string& out, std::string& problem) {
        std::string a, b;
        const char* op = operation_text(in.op2);
        if (op == nullptr || !value_text(in.arg1, in.type1, a) ||
            !value_text(in.arg2, in.type2, b)) {
            problem = "неверное условие";
            return;
        }
        out = a + " " + op + " " + b;
    }

    void describe_jump(const Instruction& in, std::string& out, std::string& problem) {
        out = std::to_string(in.arg2);
        if (in.arg1 != kJumpArg1 || in.type1 != operand::kConstant ||
            in.type2 != operand::kConstant) {
            problem = "неверные операнды перехода";
        } else if (in.arg2 >= all_.size() || all_[in.arg2].op3 != kind::kLabel) {
            problem = "переход на команду " + out + ", которая не метка";
        }
    }

    // var[5] = StartTimer(param[0], param[1])
    void describe_call(const Instruction& in, std::string& out, std::string& problem) {
        const BuiltinFunction* function = builtin_function_by_number(in.arg1);
        std::string destination;
        if (function == nullptr || in.type1 != operand::kConstant) {
            problem = "неизвестная функция " + std::to_string(in.arg1);
            return;
        }
        if (in.type3 != operand::kVariable || !operand_text(in.arg3, in.type3, destination)) {
            problem = "результат вызова не в переменной";
            return;
        }
        out = destination + " = " + function->name + "(";
        for (int p = 0; p < function->param_count; ++p) {
            out += (p > 0 ? ", param[" : "param[") + std::to_string(p) + "]";
        }
        out += ")";
    }

    const std::vector<Instruction>& all_;
    Disassembly result_;
};

}  // namespace

Disassembly disassemble(const std::vector<Instruction>& instructions) {
    return Lister(instructions).run();
}

}  // namespace vx
