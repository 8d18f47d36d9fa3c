// The token cursor's steps, checks and the `[ N ]` walk.
#include "compiler/token_cursor.h"

#include "compiler/token_table.h"

namespace vx {

bool TokenCursor::fail(int32_t code, const Token& at) {
    record_fault(error_, code, at);
    return false;
}

bool TokenCursor::open_index(const Token& keyword, const IndexChecks& checks, uint16_t& value) {
    if (!step()) {
        return false;
    }
    if (checks.bad_shape != fault::kNoFault && !is(kPunctuation, '[')) {
        return fail(checks.bad_shape, keyword);
    }
    if (!step()) {
        return false;
    }
    if (checks.not_a_number != fault::kNoFault && current_->type != kNumber) {
        return fail(checks.not_a_number);
    }
    value = number_value(*current_);
    if (value > checks.max) {
        return fail(fault::kIndexOutOfRange);
    }
    return true;
}

bool TokenCursor::close_index(const Token& keyword, const IndexChecks& checks) {
    if (!step()) {
        return false;
    }
    if (checks.bad_shape != fault::kNoFault && !is(kPunctuation, ']')) {
        return fail(checks.bad_shape, keyword);
    }
    return true;
}

}  // namespace vx
