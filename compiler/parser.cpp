// The parser: the grammar of the controller's language, statement by statement.
#include "compiler/parser.h"

#include "compiler/token_table.h"

namespace vx {

namespace {

// var [ N ]   with N at most 1023
constexpr IndexChecks kVariableIndex{fault::kBadVariable, fault::kConstantExpected,
                                     kMaxVariableIndex};
// label [ N ]   with N at most 511
constexpr IndexChecks kLabelIndex{fault::kBadLabel, fault::kConstantExpected, kMaxSourceLabel};

}  // namespace

Parser::Parser(CompileError& error) : cursor_(error) {}

// variable: var [ N ]   with N at most 1023
bool Parser::check_variable() {
    uint16_t index = 0;
    return cursor_.index(*cursor_.at(), kVariableIndex, index);
}

// operand: N | variable
bool Parser::check_operand() {
    if (cursor_.at()->type == kNumber) {
        return true;
    }
    if (cursor_.at()->type == kVarKeyword) {
        return check_variable();
    }
    return cursor_.fail(fault::kMisplacedToken);
}

// assignment: variable = ( operand | operand op operand | !op operand | call ) ;
bool Parser::check_assignment() {
    if (!check_variable() || !cursor_.expect(kAssignment, '=') || !cursor_.step()) {
        return false;
    }
    switch (cursor_.at()->type) {
        case kOperator:
            if (cursor_.at()->text[0] != '!') {
                return cursor_.fail(fault::kMisplacedToken);
            }
            if (!cursor_.step() || !check_operand()) {
                return false;
            }
            break;
        case kNumber:
        case kVarKeyword:
            if (!check_operand() || !cursor_.step()) {
                return false;
            }
            if (cursor_.is(kPunctuation, ';')) {
                return true;
            }
            if (cursor_.at()->type != kOperator) {
                return cursor_.fail(fault::kMisplacedToken);
            }
            if (!cursor_.step() || !check_operand()) {
                return false;
            }
            break;
        case kFunctionName:
            if (!check_call()) {
                return false;
            }
            break;
        default:
            return cursor_.fail(fault::kMisplacedToken);
    }
    return cursor_.expect(kPunctuation, ';');
}

// call: name ( operand , operand ... )   exactly the function's parameter count
bool Parser::check_call() {
    const BuiltinFunction* function =
        builtin_function_by_token(static_cast<uint8_t>(cursor_.at()->def_id));
    const int param_count = function != nullptr ? function->param_count : 0;
    if (!cursor_.expect(kPunctuation, '(')) {
        return false;
    }
    for (int i = 0; i < param_count; ++i) {
        if (!cursor_.step() || !check_operand()) {
            return false;
        }
        if (i + 1 < param_count && !cursor_.expect(kPunctuation, ',', fault::kWrongParamCount)) {
            return false;
        }
    }
    return cursor_.expect(kPunctuation, ')', fault::kWrongParamCount);
}

// if-head: if ( operand op operand ) {
bool Parser::check_if_head() {
    if (!cursor_.expect(kPunctuation, '(') || !cursor_.step() || !check_operand() ||
        !cursor_.step()) {
        return false;
    }
    if (cursor_.at()->type != kOperator) {
        return cursor_.fail(fault::kMisplacedToken);
    }
    return cursor_.step() && check_operand() && cursor_.expect(kPunctuation, ')') &&
           cursor_.expect(kPunctuation, '{');
}

// label-part: label [ N ]   with N at most 511; a declaration or a goto's target
bool Parser::check_label_part(bool goto_mode) {
    if (cursor_.at()->type != kLabelKeyword) {
        return cursor_.fail(fault::kLabelExpected);
    }
    const Token& label = *cursor_.at();
    uint16_t number = 0;
    if (!cursor_.open_index(label, kLabelIndex, number)) {
        return false;
    }
    if (!goto_mode) {
        if (declared_[number]) {
            return cursor_.fail(fault::kLabelTwice, label);
        }
        declared_[number] = true;
        declared_at_[number] = {label.column, label.line};
    } else if (declared_[number]) {
        // Every jump goes forward: a label above its goto is refused.
        const Position at = declared_at_[number];
        record_fault(cursor_.error(), fault::kLabelBeforeGoto, at.column, at.line);
        return false;
    } else if (!referenced_[number]) {
        referenced_[number] = true;
        goto_references_.push_back({number, {label.column, label.line}});
    }
    return cursor_.close_index(label, kLabelIndex);
}

// After a block's `}`: a then-block takes `;` or `else {`, an else-block takes `;`.
bool Parser::close_block() {
    if (blocks_.back() == Block::kElse) {
        blocks_.pop_back();
        return cursor_.expect(kPunctuation, ';');
    }
    if (!cursor_.step()) {
        return false;
    }
    if (cursor_.is(kPunctuation, ';')) {
        blocks_.pop_back();
        return true;
    }
    if (cursor_.at()->text == "else") {
        blocks_.back() = Block::kElse;
        return cursor_.expect(kPunctuation, '{');
    }
    return cursor_.fail(fault::kElseExpected);
}

// Every goto must name a label declared further down.
int Parser::check_goto_references() {
    for (const GotoReference& reference : goto_references_) {
        if (!declared_[reference.label]) {
            record_fault(cursor_.error(), fault::kLabelNotFound, reference.at.column,
                         reference.at.line);
            return kPassFailed;
        }
    }
    return kPassed;
}

int Parser::finish() {
    const int result = check_goto_references();
    if (result != kPassed) {
        return result;
    }
    if (!blocks_.empty()) {
        record_fault(cursor_.error(), fault::kMissingBrace, 1, 1);
        return kPassFailed;
    }
    return kPassed;
}

// program: statement*   statement: assignment | if | label-declaration | goto
// An open block is an entry of blocks_ rather than a nested call, so that
// deep nesting can't exhaust the stack.
int Parser::check_statements(Token* next_statement) {
    while (next_statement != nullptr) {
        cursor_.move_to(next_statement);
        bool ok;
        switch (cursor_.at()->type) {
            case kPunctuation:
                if (cursor_.at()->text[0] != '}') {
                    ok = cursor_.fail(fault::kMisplacedToken);
                } else if (blocks_.empty()) {
                    return kStrayCloseBrace;
                } else {
                    ok = close_block();
                }
                break;
            case kVarKeyword:
                ok = check_assignment();
                break;
            case kIfKeyword:
                ok = check_if_head();
                if (ok) {
                    blocks_.push_back(Block::kThen);
                }
                break;
            case kLabelKeyword:
                ok = check_label_part(false) && cursor_.expect(kPunctuation, ':');
                break;
            case kGotoKeyword:
                ok = cursor_.step() && check_label_part(true) && cursor_.expect(kPunctuation, ';');
                break;
            default:
                ok = cursor_.fail(fault::kMisplacedToken);
                break;
        }
        if (!ok) {
            return kPassFailed;
        }
        next_statement = cursor_.at()->next;
    }
    return kPassed;
}

}  // namespace vx
