// The parser: the grammar of the controller's language, statement by statement.
#include "compiler/parser.h"

#include "compiler/token_table.h"

namespace vx {

namespace {

constexpr int kFailed = -1;

}  // namespace

Parser::Parser(const TokenList& tokens, CompileError& error)
    : first_(tokens.first()), error_(error) {}

bool Parser::fail(int32_t code, const Token& at) {
    record_fault(error_, code, at);
    return false;
}

// Moves to the next token; the list ending here is fault 2 at the last token.
bool Parser::step() {
    if (current_->next == nullptr) {
        return fail(fault::kUnexpectedEnd, *current_);
    }
    current_ = current_->next;
    return true;
}

bool Parser::require(uint8_t type, char ch) {
    if (!step()) {
        return false;
    }
    if (!token_is(current_, type, ch)) {
        return fail(fault::kMisplacedToken, *current_);
    }
    return true;
}

// variable: var [ N ]   with N at most 1023
bool Parser::check_variable() {
    const Token& var = *current_;
    if (!step()) {
        return false;
    }
    if (!token_is(current_, kPunctuation, '[')) {
        return fail(fault::kBadVariable, var);
    }
    if (!step()) {
        return false;
    }
    if (current_->type != kNumber) {
        return fail(fault::kConstantExpected, *current_);
    }
    if (number_value(*current_) > kMaxVariableIndex) {
        return fail(fault::kIndexOutOfRange, *current_);
    }
    if (!step()) {
        return false;
    }
    if (!token_is(current_, kPunctuation, ']')) {
        return fail(fault::kBadVariable, var);
    }
    return true;
}

// operand: N | variable
bool Parser::check_operand() {
    if (current_->type == kNumber) {
        return true;
    }
    if (current_->type == kVarKeyword) {
        return check_variable();
    }
    return fail(fault::kMisplacedToken, *current_);
}

// assignment: variable = ( operand | operand op operand | !op operand | call ) ;
bool Parser::check_assignment() {
    if (!check_variable() || !require(kAssignment, '=') || !step()) {
        return false;
    }
    switch (current_->type) {
        case kOperator:
            if (current_->text[0] != '!') {
                return fail(fault::kMisplacedToken, *current_);
            }
            if (!step() || !check_operand()) {
                return false;
            }
            break;
        case kNumber:
        case kVarKeyword:
            if (!check_operand() || !step()) {
                return false;
            }
            if (token_is(current_, kPunctuation, ';')) {
                return true;
            }
            if (current_->type != kOperator) {
                return fail(fault::kMisplacedToken, *current_);
            }
            if (!step() || !check_operand()) {
                return false;
            }
            break;
        case kFunctionName:
            if (!check_call()) {
                return false;
            }
            break;
        default:
            return fail(fault::kMisplacedToken, *current_);
    }
    return require(kPunctuation, ';');
}

// call: name ( operand , operand ... )   exactly the function's parameter count
bool Parser::check_call() {
    const BuiltinFunction* function =
        builtin_function_by_token(static_cast<uint8_t>(current_->def_id));
    const int param_count = function != nullptr ? function->param_count : 0;
    if (!require(kPunctuation, '(')) {
        return false;
    }
    for (int i = 0; i < param_count; ++i) {
        if (!step() || !check_operand()) {
            return false;
        }
        if (i + 1 < param_count) {
            if (!step()) {
                return false;
            }
            if (!token_is(current_, kPunctuation, ',')) {
                return fail(fault::kWrongParamCount, *current_);
            }
        }
    }
    if (!step()) {
        return false;
    }
    if (!token_is(current_, kPunctuation, ')')) {
        return fail(fault::kWrongParamCount, *current_);
    }
    return true;
}

// if-head: if ( operand op operand ) {
bool Parser::check_if_head() {
    if (!require(kPunctuation, '(') || !step() || !check_operand() || !step()) {
        return false;
    }
    if (current_->type != kOperator) {
        return fail(fault::kMisplacedToken, *current_);
    }
    return step() && check_operand() && require(kPunctuation, ')') && require(kPunctuation, '{');
}

// label-part: label [ N ]   with N at most 511; a declaration or a goto's target
bool Parser::check_label_part(bool goto_mode) {
    if (current_->type != kLabelKeyword) {
        return fail(fault::kLabelExpected, *current_);
    }
    const Token& label = *current_;
    if (!step()) {
        return false;
    }
    if (!token_is(current_, kPunctuation, '[')) {
        return fail(fault::kBadLabel, label);
    }
    if (!step()) {
        return false;
    }
    if (current_->type != kNumber) {
        return fail(fault::kConstantExpected, *current_);
    }
    const uint16_t number = number_value(*current_);
    if (number > kMaxSourceLabel) {
        return fail(fault::kIndexOutOfRange, *current_);
    }
    if (!goto_mode) {
        if (declared_[number]) {
            return fail(fault::kLabelTwice, label);
        }
        declared_[number] = true;
        declared_at_[number] = {label.column, label.line};
    } else if (declared_[number]) {
        // Every jump goes forward: a label above its goto is refused.
        const Position at = declared_at_[number];
        record_fault(error_, fault::kLabelBeforeGoto, at.column, at.line);
        return false;
    } else if (!referenced_[number]) {
        referenced_[number] = true;
        goto_references_.push_back({number, {label.column, label.line}});
    }
    if (!step()) {
        return false;
    }
    if (!token_is(current_, kPunctuation, ']')) {
        return fail(fault::kBadLabel, label);
    }
    return true;
}

// After a block's `}`: a then-block takes `;` or `else {`, an else-block takes `;`.
bool Parser::close_block() {
    if (blocks_.back() == Block::kElse) {
        blocks_.pop_back();
        return require(kPunctuation, ';');
    }
    if (current_->next == nullptr) {
        return fail(fault::kUnexpectedEnd, *current_);
    }
    const Token* next = current_->next;
    if (token_is(next, kPunctuation, ';')) {
        current_ = next;
        blocks_.pop_back();
        return true;
    }
    if (next->text == "else") {
        current_ = next;
        blocks_.back() = Block::kElse;
        return require(kPunctuation, '{');
    }
    return fail(fault::kElseExpected, *next);
}

// Every goto must name a label declared further down.
int Parser::check_goto_references() {
    for (const GotoReference& reference : goto_references_) {
        if (!declared_[reference.label]) {
            record_fault(error_, fault::kLabelNotFound, reference.at.column, reference.at.line);
            return kFailed;
        }
    }
    return kProgramChecked;
}

// program: statement*   statement: assignment | if | label-declaration | goto
int Parser::check_program() {
    blocks_.clear();
    const int result = check_statements(first_);
    return result != kProgramChecked ? result : finish();
}

int Parser::finish() {
    const int result = check_goto_references();
    if (result != kProgramChecked) {
        return result;
    }
    if (!blocks_.empty()) {
        record_fault(error_, fault::kMissingBrace, 1, 1);
        return kFailed;
    }
    return kProgramChecked;
}

// An open block is an entry of blocks_ rather than a nested call, so that
// deep nesting can't exhaust the stack.
int Parser::check_statements(const Token* next_statement) {
    while (next_statement != nullptr) {
        current_ = next_statement;
        bool ok;
        switch (current_->type) {
            case kPunctuation:
                if (current_->text[0] != '}') {
                    ok = fail(fault::kMisplacedToken, *current_);
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
                ok = check_label_part(false) && require(kPunctuation, ':');
                break;
            case kGotoKeyword:
                ok = step() && check_label_part(true) && require(kPunctuation, ';');
                break;
            default:
                ok = fail(fault::kMisplacedToken, *current_);
                break;
        }
        if (!ok) {
            return kFailed;
        }
        next_statement = current_->next;
    }
    return kProgramChecked;
}

}  // namespace vx
