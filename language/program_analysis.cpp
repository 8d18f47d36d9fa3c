// The program's diagnostic from the compiler itself, its tokens indexed, hover and navigation.
#include "language/program_analysis.h"

#include <algorithm>

#include "compiler/compile_program.h"
#include "compiler/lexer.h"
#include "compiler/token_table.h"
#include "files/codepage.h"

namespace vx::language {

namespace {

bool is(const Token* token, uint8_t type, char ch) {
    return token_is(token, type, ch);
}

// The file name in messages that name the output file; a check writes none.
constexpr const char* kCheckedFileName = "program.prg";

}  // namespace

TextRange token_range(const Token& token) {
    const TextPosition start{token.line - 1, token.column - 1};
    return {start, {start.line, start.column + token.length}};
}

ProgramAnalysis::ProgramAnalysis() {
    set_text({});
}

void ProgramAnalysis::set_text(std::string_view cp1251_text) {
    text_.assign(cp1251_text);
    line_starts_.assign(1, 0);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '\n') {
            line_starts_.push_back(i + 1);
        }
    }
    index_tokens();
    checked_ = false;
}

const std::vector<Diagnostic>& ProgramAnalysis::diagnostics() const {
    if (!checked_) {
        check();
        checked_ = true;
    }
    return diagnostics_;
}

void ProgramAnalysis::set_notes(VariableNotes notes) {
    notes_ = std::move(notes);
    name_keys_.clear();
    for (const auto& [index, name] : notes_.names()) {
        name_keys_.push_back(match_key(files::utf8_to_cp1251(name)));
    }
}

std::string_view ProgramAnalysis::line_text(int line) const {
    if (line < 0 || line >= static_cast<int>(line_starts_.size())) {
        return {};
    }
    const std::size_t start = line_starts_[line];
    std::size_t end = line + 1 < static_cast<int>(line_starts_.size()) ? line_starts_[line + 1] - 1
                                                                       : text_.size();
    std::string_view text(text_.data() + start, end - start);
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    return text;
}

// The compile the editor's Compile command and vxc run, writing nothing.
void ProgramAnalysis::check() const {
    diagnostics_.clear();
    CompileError error;
    CompiledProgram program;
    const int result = compile_source(text_, error, program);
    if (result == kCompiled) {
        return;
    }
    Diagnostic diagnostic{
        error.line, error.column, compile_failure_message(result, error, kCheckedFileName), {}};
    if (diagnostic.has_place()) {
        const TextPosition at{error.line - 1, error.column - 1};
        const auto found =
            std::find_if(token_order_.begin(), token_order_.end(),
                         [&](const Token* t) { return token_range(*t).start == at; });
        diagnostic.range = found != token_order_.end() ? token_range(**found)
                                                       : TextRange{at, {at.line, at.column + 1}};
    }
    diagnostics_.push_back(std::move(diagnostic));
}

// The tokens of the text and of a line end after it: the compiler drops a last
// word that nothing follows, but the one being typed must be seen.
void ProgramAnalysis::index_tokens() {
    Lexer lexer;
    lexer.set_source(text_ + "\n");
    lexer.tokenize();
    tokens_ = lexer.take_tokens();
    token_order_.clear();
    symbols_.clear();
    for (const Token* token = tokens_.first(); token != nullptr; token = token->next) {
        token_order_.push_back(token);
    }
    for (const Token* token = tokens_.first(); token != nullptr; token = token->next) {
        const bool variable = token->type == kVarKeyword;
        if (!variable && token->type != kLabelKeyword) {
            continue;
        }
        const Token* open = token->next;
        const Token* number = open != nullptr ? open->next : nullptr;
        const Token* close = number != nullptr ? number->next : nullptr;
        if (!is(open, kPunctuation, '[') || number == nullptr || number->type != kNumber) {
            continue;
        }
        Symbol symbol{Symbol::kVariable, number_value(*number), token_range(*token)};
        symbol.range.end = token_range(is(close, kPunctuation, ']') ? *close : *number).end;
        if (!variable) {
            // A `:` after it makes a declaration even after a goto not yet finished.
            const bool in_goto = token->prev != nullptr && token->prev->type == kGotoKeyword;
            const bool declared = close != nullptr && is(close->next, kPunctuation, ':');
            symbol.kind = in_goto && !declared ? Symbol::kGoto : Symbol::kLabel;
        }
        symbols_.push_back(symbol);
    }
}

const Token* ProgramAnalysis::token_before(TextPosition at) const {
    const auto after = std::lower_bound(
        token_order_.begin(), token_order_.end(), at,
        [](const Token* token, TextPosition p) { return token_range(*token).start < p; });
    return after == token_order_.begin() ? nullptr : *(after - 1);
}

const ProgramAnalysis::Symbol* ProgramAnalysis::symbol_at(TextPosition at) const {
    const auto after =
        std::upper_bound(symbols_.begin(), symbols_.end(), at,
                         [](TextPosition p, const Symbol& s) { return p < s.range.start; });
    if (after == symbols_.begin()) {
        return nullptr;
    }
    const Symbol& symbol = *(after - 1);
    return at < symbol.range.end ? &symbol : nullptr;
}

// The symbol under the caret, or the one that ends right before it.
const ProgramAnalysis::Symbol* ProgramAnalysis::symbol_at_caret(TextPosition at) const {
    const Symbol* symbol = symbol_at(at);
    return symbol != nullptr || at.column == 0 ? symbol : symbol_at({at.line, at.column - 1});
}

std::optional<TextRange> ProgramAnalysis::definition(TextPosition at) const {
    const Symbol* symbol = symbol_at_caret(at);
    if (symbol == nullptr || symbol->kind == Symbol::kVariable) {
        return std::nullopt;
    }
    for (const Symbol& other : symbols_) {
        if (other.kind == Symbol::kLabel && other.number == symbol->number) {
            return other.range;
        }
    }
    return std::nullopt;
}

std::vector<TextRange> ProgramAnalysis::references(TextPosition at) const {
    std::vector<TextRange> ranges;
    const Symbol* symbol = symbol_at_caret(at);
    if (symbol == nullptr) {
        return ranges;
    }
    const bool variable = symbol->kind == Symbol::kVariable;
    for (const Symbol& other : symbols_) {
        if (other.number == symbol->number && (other.kind == Symbol::kVariable) == variable) {
            ranges.push_back(other.range);
        }
    }
    return ranges;
}

Hover ProgramAnalysis::hover(TextPosition at) const {
    Hover out;
    if (const Symbol* symbol = symbol_at(at); symbol != nullptr) {
        out.range = symbol->range;
        const std::string number = std::to_string(symbol->number);
        if (symbol->kind != Symbol::kVariable) {
            const auto gotos =
                std::count_if(symbols_.begin(), symbols_.end(), [&](const Symbol& s) {
                    return s.kind == Symbol::kGoto && s.number == symbol->number;
                });
            out.text = "label[" + number + "]: переходов сюда " + std::to_string(gotos);
            return out;
        }
        out.text = "var[" + number + "]";
        if (const std::string name = notes_.name(symbol->number); !name.empty()) {
            out.text += " — " + name;
        }
        if (values_ != nullptr) {
            if (const std::optional<uint16_t> value = values_->value(symbol->number)) {
                out.text += "\nЗначение: " + std::to_string(*value);
            }
        }
        return out;
    }
    const Token* token = token_before({at.line, at.column + 1});
    if (token == nullptr || token->type != kFunctionName || !(at < token_range(*token).end)) {
        return out;
    }
    if (const FunctionDoc* doc = find_function_doc(token->text); doc != nullptr) {
        out.range = token_range(*token);
        out.text = doc->signature() + "\n" + doc->purpose;
        for (const ParameterDoc& parameter : doc->parameters) {
            out.text += "\n" + parameter_line(parameter);
        }
    }
    return out;
}

}  // namespace vx::language
