// What the editors ask of a program while it is written: the compiler's own
// diagnostic, completion, signature help, hover, definitions and uses.
//
// Text is the program's bytes in code page 1251, as the editor saves it, so a
// column counts bytes and every byte is one character. Positions here count
// lines and columns from zero; a Diagnostic also keeps the compiler's own
// 1-based line and column.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/token_list.h"
#include "language/function_docs.h"
#include "language/variable_notes.h"

namespace vx::language {

struct TextPosition {
    int line = 0;    // from zero
    int column = 0;  // from zero, in bytes (characters of code page 1251)
    auto operator<=>(const TextPosition&) const = default;
};

struct TextRange {
    TextPosition start;
    TextPosition end;  // just past the last character
    bool operator==(const TextRange&) const = default;
};

// The compiler's verdict on the text, as vxc reports it.
struct Diagnostic {
    int line = 0;         // 1-based as the compiler gives it; 0 when the place is unknown
    int column = 0;       // 1-based; 0 when unknown
    std::string message;  // UTF-8, the compiler's text
    TextRange range;      // the token at the place, to underline; empty when unknown
    bool has_place() const { return line > 0; }
};

enum class CompletionKind { kKeyword, kFunction, kVariable, kLabel };

struct CompletionItem {
    CompletionKind kind = CompletionKind::kKeyword;
    std::string label;        // UTF-8, what the list shows: "var[20]", "GetHour()"
    std::string insert_text;  // what replaces the typed word (plain ASCII)
    std::string filter_text;  // UTF-8, what typing matches: the name for a variable
    std::string detail;       // UTF-8: a function's purpose, a variable's name
};

struct Completion {
    TextRange replace;  // the word typed so far, which an item replaces
    std::vector<CompletionItem> items;
};

struct SignatureHelp {
    const FunctionDoc* function = nullptr;
    int active_parameter = 0;  // from zero; may pass the last one when too many are typed
};

// Values of the controller's variables, where the editor has a source of them
// (a connection to the controller, a debug session). A variable whose value
// is not known gives nothing.
class VariableValues {
public:
    virtual ~VariableValues() = default;
    virtual std::optional<uint16_t> value(int index) const = 0;
};

struct Hover {
    std::string text;  // UTF-8, lines joined by '\n'; empty when there is nothing to say
    TextRange range;
};

class ProgramAnalysis {
public:
    ProgramAnalysis();

    // A new text: the compiler checks it, and the tokens are indexed for queries.
    void set_text(std::string_view cp1251_text);
    void set_notes(VariableNotes notes);
    // The source stays the caller's and must outlive its use here; nullptr for none.
    void set_values(const VariableValues* values) { values_ = values; }

    const std::string& text() const { return text_; }
    const VariableNotes& notes() const { return notes_; }
    // Empty when the program compiles, else the compiler's one fault. The
    // compile runs on the first call after a change, so queries that need
    // only the tokens cost no compile.
    const std::vector<Diagnostic>& diagnostics() const;

    Completion complete(TextPosition at) const;
    std::optional<SignatureHelp> signature_help(TextPosition at) const;
    Hover hover(TextPosition at) const;
    // A label's declaration, from a goto to it or the declaration itself.
    std::optional<TextRange> definition(TextPosition at) const;
    // Every place of the label or variable at `at`: a label's declaration and
    // each goto to it; each use of a variable. Empty elsewhere.
    std::vector<TextRange> references(TextPosition at) const;

    // A variable, a label declaration or a label inside a goto, as written.
    struct Symbol {
        enum Kind { kVariable, kLabel, kGoto } kind;
        int number;       // variable index or label number
        TextRange range;  // from `var`/`label` through `]`
    };
    const std::vector<Symbol>& symbols() const { return symbols_; }

private:
    void check() const;
    void index_tokens();
    const Symbol* symbol_at(TextPosition at) const;
    const Symbol* symbol_at_caret(TextPosition at) const;
    // The last token that starts before `at` (nullptr when none).
    const Token* token_before(TextPosition at) const;
    std::string_view line_text(int line) const;

    void complete_variables(std::string_view typed, Completion& out) const;
    void complete_labels(TextPosition at, bool declaration, bool with_keyword,
                         Completion& out) const;
    void complete_words(std::string_view typed, Completion& out) const;

    std::string text_;
    std::vector<std::size_t> line_starts_;
    VariableNotes notes_;
    std::vector<std::string> name_keys_;  // lower-case code page 1251 of each notes name
    const VariableValues* values_ = nullptr;
    mutable std::vector<Diagnostic> diagnostics_;
    mutable bool checked_ = false;
    TokenList tokens_;
    std::vector<const Token*> token_order_;
    std::vector<Symbol> symbols_;
};

// A token's place in the text as a range.
TextRange token_range(const Token& token);

// Code page 1251 text in lower case, Cyrillic too, for matching what is typed.
std::string match_key(std::string_view cp1251_text);

}  // namespace vx::language
