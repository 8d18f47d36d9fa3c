// The code generator: one handler per statement kind, then jump resolution.
#include "compiler/code_generator.h"

#include <algorithm>

#include "compiler/token_table.h"

namespace vx {

namespace {

// The operation code of an operator token by its table entry, looked up once per entry.
int operation_code_of(const Token& token) {
    static const auto codes = [] {
        std::array<int8_t, kTokenTableSize> code{};
        for (const TokenDef& def : token_table()) {
            code[def.id] = static_cast<int8_t>(operation_code(def.text));
        }
        return code;
    }();
    return token.def_id >= 0 && token.def_id < kTokenTableSize ? codes[token.def_id]
                                                               : operation_code(token.text);
}

}  // namespace

// The generator sees only lists the parser passed: what it checks guards the
// shape it relies on, and any surprise is an internal fault.
constexpr IndexChecks kGeneratorIndex{fault::kNoFault, fault::kInternal, 0xFFFF};

CodeGenerator::CodeGenerator(CompileError& error) : cursor_(error) {}

// From a var or label keyword over `[ N ]`, onto the `]`.
bool CodeGenerator::read_index(uint16_t& value) {
    return cursor_.index(*cursor_.at(), kGeneratorIndex, value);
}

// operand: N gives a constant, var[N] a variable.
bool CodeGenerator::encode_operand(uint16_t& arg, uint8_t& type) {
    if (cursor_.at()->type == kNumber) {
        arg = number_value(*cursor_.at());
        type = operand::kConstant;
        return true;
    }
    if (cursor_.at()->type == kVarKeyword) {
        type = operand::kVariable;
        return read_index(arg);
    }
    return cursor_.fail(fault::kInternal);
}

// From the operator: its code to op2, the operand after it to slot 2, and
// onto the token that ends the statement (`;`) or the condition (`)`).
bool CodeGenerator::encode_operator_and_operand(Instruction& in) {
    const Token& op = *cursor_.at();
    const int code = op.type == kOperator ? operation_code_of(op) : -1;
    if (code < 0) {
        return cursor_.fail(fault::kInternal);
    }
    in.op2 = static_cast<uint8_t>(code);
    return cursor_.step() && encode_operand(in.arg2, in.type2) && cursor_.step();
}

// assignment: var[N] = operand [op operand] ;  |  var[N] = !operand ;  |  var[N] = call ;
bool CodeGenerator::generate_assignment() {
    Instruction in;
    in.type3 = operand::kVariable;
    in.op3 = kind::kAssign;
    if (!read_index(in.arg3) || !cursor_.expect(kAssignment, '=', fault::kInternal) ||
        !cursor_.step()) {
        return false;
    }
    switch (cursor_.at()->type) {
        case kOperator:
            if (cursor_.at()->text[0] != '!') {
                return cursor_.fail(fault::kInternal);
            }
            in.op2 = kOpNot;
            if (!cursor_.step() || !encode_operand(in.arg1, in.type1) || !cursor_.step()) {
                return false;
            }
            break;
        case kNumber:
        case kVarKeyword: {
            if (!encode_operand(in.arg1, in.type1) || !cursor_.step()) {
                return false;
            }
            if (cursor_.at()->text == ";" && cursor_.at()->type != kNumber) {
                in.op2 = kOpCopy;
                break;
            }
            if (!encode_operator_and_operand(in)) {
                return false;
            }
            break;
        }
        case kFunctionName:
            return generate_call(in);
        default:
            return cursor_.fail(fault::kInternal);
    }
    instructions_.push_back(in);
    return true;
}

// call: one parameter assignment per argument, then the call itself.
bool CodeGenerator::generate_call(Instruction& call) {
    const BuiltinFunction* function =
        builtin_function_by_token(static_cast<uint8_t>(cursor_.at()->def_id));
    if (function == nullptr) {
        return cursor_.fail(fault::kInternal);
    }
    call.op3 = kind::kCall;
    call.type1 = operand::kConstant;
    call.arg1 = function->number;
    if (!cursor_.expect(kPunctuation, '(', fault::kInternal)) {
        return false;
    }
    for (uint16_t i = 0; i < function->param_count; ++i) {
        Instruction param;
        param.op2 = kOpCopy;
        param.arg3 = i;
        param.type3 = operand::kParam;
        param.op3 = kind::kAssign;
        const char after = i + 1 < function->param_count ? ',' : ')';
        if (!cursor_.step() || !encode_operand(param.arg1, param.type1) ||
            !cursor_.expect(kPunctuation, after, fault::kInternal)) {
            return false;
        }
        instructions_.push_back(param);
    }
    if (function->param_count == 0 && !cursor_.expect(kPunctuation, ')', fault::kInternal)) {
        return false;
    }
    if (!cursor_.expect(kPunctuation, ';', fault::kInternal)) {
        return false;
    }
    instructions_.push_back(call);
    return true;
}

// condition: if ( operand op operand )   -- the lowering's gotos follow as statements
bool CodeGenerator::generate_condition() {
    Instruction in;
    in.op3 = kind::kCondition;
    if (!cursor_.expect(kPunctuation, '(', fault::kInternal) || !cursor_.step() ||
        !encode_operand(in.arg1, in.type1) || !cursor_.step()) {
        return false;
    }
    if (!encode_operator_and_operand(in)) {
        return false;
    }
    instructions_.push_back(in);
    return true;
}

// label-declaration: label [ N ] :   -- the `:` of a generated label is of type 8
bool CodeGenerator::generate_label() {
    const Token& label = *cursor_.at();
    Instruction in;
    in.op3 = kind::kLabel;
    in.type3 = operand::kConstant;
    if (!read_index(in.arg3) || !cursor_.step()) {
        return false;
    }
    labels_.push_back({in.arg3, instructions_.size(), label.column, label.line});
    instructions_.push_back(in);
    return true;
}

// goto: goto label [ N ] ;   -- arg2 holds the label number until resolution;
// the `;` of a generated goto is of type 8
bool CodeGenerator::generate_jump() {
    Instruction in;
    in.op3 = kind::kJump;
    if (!cursor_.expect(kLabelKeyword, 'l', fault::kInternal) || !read_index(in.arg2) ||
        !cursor_.step()) {
        return false;
    }
    jumps_.push_back(instructions_.size());
    instructions_.push_back(in);
    return true;
}

// Each jump goes to the first label instruction of its number. Both sides are
// indexed once, so resolution is linear in the program's size.
int CodeGenerator::resolve_jumps() {
    if (jumps_.empty()) {
        return kPassed;
    }
    constexpr int32_t kNone = -1;
    uint16_t highest = 0;
    for (const LabelSite& label : labels_) {
        highest = std::max(highest, label.number);
    }
    for (std::size_t jump : jumps_) {
        highest = std::max(highest, instructions_[jump].arg2);
    }
    std::vector<int32_t> first_site(std::size_t{highest} + 1, kNone);
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (first_site[labels_[i].number] == kNone) {
            first_site[labels_[i].number] = static_cast<int32_t>(i);
        }
    }
    for (std::size_t jump : jumps_) {
        Instruction& in = instructions_[jump];
        const int32_t site = first_site[in.arg2];
        if (site == kNone) {
            return kJumpWithoutLabel;
        }
        const LabelSite& target = labels_[site];
        if (target.index > kMaxJumpTarget) {
            // A 16-bit target would wrap and the jump land somewhere else.
            record_own_fault(cursor_.error(), kJumpTooFarText, target.column, target.line);
            return kPassFailed;
        }
        in.arg1 = kJumpArg1;
        in.type1 = operand::kConstant;
        in.arg2 = static_cast<uint16_t>(target.index);
        in.type2 = operand::kConstant;
        in.op2 = 0;
    }
    return kPassed;
}

int CodeGenerator::generate_from(Token* first) {
    for (cursor_.move_to(first); cursor_.at() != nullptr; cursor_.move_to(cursor_.at()->next)) {
        const StatementPosition statement{cursor_.at()->line, cursor_.at()->column};
        bool ok;
        switch (cursor_.at()->type) {
            case kVarKeyword:
                ok = generate_assignment();
                break;
            case kIfKeyword:
                ok = generate_condition();
                break;
            case kLabelKeyword:
                ok = generate_label();
                break;
            case kGotoKeyword:
                ok = generate_jump();
                break;
            default:
                ok = cursor_.fail(fault::kMisplacedToken);
                break;
        }
        if (!ok) {
            return kPassFailed;
        }
        positions_.resize(instructions_.size(), statement);
    }
    return kPassed;
}

}  // namespace vx
