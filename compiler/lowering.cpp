// The if/else lowering: blocks become conditional jumps over generated labels.
#include "compiler/lowering.h"

#include "compiler/token_table.h"

namespace vx {

namespace {

constexpr uint32_t kLastLabel = 0xFFFF;

}  // namespace

IfElseLowering::IfElseLowering(TokenList& tokens, CompileError& error, uint16_t first_label)
    : tokens_(tokens), cursor_(error), next_label_(first_label) {}

// Steps onto an operand and past all four tokens of a var[N].
bool IfElseLowering::step_over_operand() {
    if (!cursor_.step()) {
        return false;
    }
    uint16_t index = 0;
    return cursor_.at()->type != kVarKeyword || cursor_.index(*cursor_.at(), IndexChecks{}, index);
}

// Generated tokens take the position of the token they follow.
Token* IfElseLowering::insert_generated(Token* after, const char* text, uint8_t type,
                                        int16_t def_id) {
    Token* token = tokens_.make_token();
    token->text = text;
    token->length = static_cast<int32_t>(token->text.size());
    token->type = type;
    token->def_id = def_id;
    token->column = after->column;
    token->line = after->line;
    return tokens_.insert_after(after, token);
}

// label [ N ] :  (brackets and colon of type 8, which the listing breaks lines on)
Token* IfElseLowering::insert_label(Token* after, uint16_t label) {
    Token* token = insert_generated(after, "label", kLabelKeyword, token_id::kLabel);
    token = insert_generated(token, "[", kLabelKeyword, token_id::kOpenBracket);
    Token* number = tokens_.make_token();
    number->value = label;
    number->length = 2;
    number->type = kNumber;
    number->column = token->column;
    number->line = token->line;
    token = tokens_.insert_after(token, number);
    token = insert_generated(token, "]", kLabelKeyword, token_id::kCloseBracket);
    return insert_generated(token, ":", kLabelKeyword, token_id::kColon);
}

// goto label [ N ] ;
Token* IfElseLowering::insert_goto(Token* after, uint16_t label) {
    Token* token = insert_generated(after, "goto", kGotoKeyword, token_id::kGoto);
    token = insert_label(token, label);
    token->text = ";";
    token->def_id = token_id::kSemicolon;
    return token;
}

// if ( A op B ) {            if ( A op B ) goto label[L]; goto label[L+1]; label[L]:
bool IfElseLowering::open_if() {
    const Token& if_token = *cursor_.at();
    // ( A op B ) {
    if (!cursor_.step() || !step_over_operand() || !cursor_.step() || !step_over_operand() ||
        !cursor_.step() || !cursor_.expect(kPunctuation, '{')) {
        return false;
    }
    // Past 65535 the numbers would wrap onto other labels and jumps would go astray.
    if (next_label_ + 2 > kLastLabel) {
        record_own_fault(cursor_.error(), kTooManyIfText, if_token.column, if_token.line);
        return false;
    }
    const auto label = static_cast<uint16_t>(next_label_);
    next_label_ += 3;
    Token* at = tokens_.erase(cursor_.at());
    at = insert_goto(at, label);
    at = insert_goto(at, label + 1);
    cursor_.move_to(insert_label(at, label));
    open_ifs_.push_back({label, false});
    return true;
}

// The shapes, with L the if's first label:
//   if (A op B) { S };               if (A op B) { S } else { T };
//   ------------------               -----------------------------
//   if ( A op B )                    if ( A op B )
//   goto label[L];                   goto label[L];
//   goto label[L+1];                 goto label[L+1];
//   label[L]:                        label[L]:
//   S                                S
//   label[L+1]:                      goto label[L+2];
//                                    label[L+1]:
//                                    T
//                                    label[L+2]:
// The condition instruction skips one instruction when false, so the first
// goto enters the then-part and the second jumps past it.
bool IfElseLowering::close_block() {
    OpenIf& open = open_ifs_.back();
    cursor_.move_to(tokens_.erase(cursor_.at()));  // the block's `}`
    if (open.in_else) {
        if (!cursor_.expect(kPunctuation, ';')) {
            return false;
        }
        Token* at = tokens_.erase(cursor_.at());
        cursor_.move_to(insert_label(at, open.label + 2));
        open_ifs_.pop_back();
        return true;
    }
    if (token_is(cursor_.at()->next, kPunctuation, ';')) {
        cursor_.move_to(insert_label(cursor_.at(), open.label + 1));
        tokens_.erase(cursor_.at()->next);  // the `;` after the `}`
        open_ifs_.pop_back();
        return true;
    }
    if (!cursor_.step()) {  // onto `else`
        return false;
    }
    cursor_.move_to(tokens_.erase(cursor_.at()));
    if (!cursor_.expect(kPunctuation, '{')) {
        return false;
    }
    Token* at = tokens_.erase(cursor_.at());
    at = insert_goto(at, open.label + 2);
    cursor_.move_to(insert_label(at, open.label + 1));
    open.in_else = true;
    return true;
}

int IfElseLowering::finish() {
    if (!open_ifs_.empty()) {
        record_fault(cursor_.error(), fault::kMissingBrace, 1, 1);
        return kPassFailed;
    }
    return kPassed;
}

// An open if is an entry of open_ifs_ rather than a nested call, so that deep
// nesting can't exhaust the stack.
int IfElseLowering::lower_from(Token* token) {
    while (token != nullptr) {
        cursor_.move_to(token);
        if (token_is(token, kPunctuation, '}')) {
            if (open_ifs_.empty()) {
                return kPassed;  // the parser lets no `}` stand outside a block
            }
            if (!close_block()) {
                return kPassFailed;
            }
        } else if (token->type == kIfKeyword) {
            if (!open_if()) {
                return kPassFailed;
            }
        }
        token = cursor_.at()->next;
    }
    return kPassed;
}

}  // namespace vx
