// Completion and signature help: what may come at the caret, from the tokens before it.
#include <algorithm>
#include <array>

#include "compiler/token_table.h"
#include "files/codepage.h"
#include "language/program_analysis.h"

namespace vx::language {

namespace {

constexpr std::array<const char*, 5> kKeywords = {"var", "if", "else", "label", "goto"};

// Bytes that end a word as the lexer splits words; '$' and '#' too, so a
// comparison or a comment is never part of the word being typed.
bool ends_word(char ch) {
    static constexpr std::string_view kDelimiters = " \t\r\n;:[](),+-*/!=><&|%#{}$";
    return kDelimiters.find(ch) != std::string_view::npos;
}

bool is(const Token* token, uint8_t type, char ch) {
    return token_is(token, type, ch);
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string match_key(std::string_view cp1251_text) {
    std::string key(cp1251_text);
    for (char& ch : key) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 'A' && byte <= 'Z') {
            ch = static_cast<char>(byte + 32);
        } else if (byte >= 0xC0 && byte <= 0xDF) {  // А to Я
            ch = static_cast<char>(byte + 32);
        } else if (byte == 0xA8) {  // Ё
            ch = static_cast<char>(0xB8);
        }
    }
    return key;
}

Completion ProgramAnalysis::complete(TextPosition at) const {
    Completion out;
    const std::string_view line = line_text(at.line);
    const std::size_t caret = std::min<std::size_t>(std::max(at.column, 0), line.size());
    const std::string_view before = line.substr(0, caret);
    out.replace = {{at.line, static_cast<int>(caret)}, {at.line, static_cast<int>(caret)}};
    if (before.find('#') != std::string_view::npos) {
        return out;  // a comment
    }
    std::size_t word = caret;
    while (word > 0 && !ends_word(before[word - 1])) {
        --word;
    }
    out.replace.start.column = static_cast<int>(word);
    const std::string_view typed = before.substr(word);
    const Token* previous = token_before({at.line, static_cast<int>(word)});
    const Token* keyword = previous != nullptr ? previous->prev : nullptr;
    if (is(previous, kPunctuation, '[') && keyword != nullptr && keyword->type == kVarKeyword) {
        complete_variables(typed, out);
    } else if (is(previous, kPunctuation, '[') && keyword != nullptr &&
               keyword->type == kLabelKeyword) {
        const bool in_goto = keyword->prev != nullptr && keyword->prev->type == kGotoKeyword;
        complete_labels(at, !in_goto, false, out);
    } else if (previous != nullptr && previous->type == kGotoKeyword) {
        complete_labels(at, false, true, out);
    } else {
        complete_words(typed, out);
    }
    return out;
}

// After `var[`: the variables the notes name, by number or by name.
void ProgramAnalysis::complete_variables(std::string_view typed, Completion& out) const {
    const std::string key = match_key(typed);
    const std::string_view rest = line_text(out.replace.end.line).substr(out.replace.end.column);
    const bool closed = !rest.empty() && rest.front() == ']';
    std::size_t n = 0;
    for (const auto& [index, name] : notes_.names()) {
        const std::string number = std::to_string(index);
        const std::string& name_key = name_keys_[n++];
        if (!starts_with(number, key) && name_key.find(key) == std::string::npos) {
            continue;
        }
        out.items.push_back({CompletionKind::kVariable, "var[" + number + "]",
                             closed ? number : number + "]", name + " " + number, name});
    }
}

// Labels a goto may name (declared below the caret: every jump goes forward),
// or, for a declaration, the numbers gotos above name and nothing declares yet.
void ProgramAnalysis::complete_labels(TextPosition at, bool declaration, bool with_keyword,
                                      Completion& out) const {
    std::vector<int> numbers;
    for (const Symbol& symbol : symbols_) {
        const bool below = at < symbol.range.start;
        if (declaration ? symbol.kind == Symbol::kGoto && !below
                        : symbol.kind == Symbol::kLabel && below) {
            numbers.push_back(symbol.number);
        }
    }
    if (declaration) {
        for (const Symbol& symbol : symbols_) {
            if (symbol.kind == Symbol::kLabel) {
                std::erase(numbers, symbol.number);
            }
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (int number : numbers) {
        const std::string text = "label[" + std::to_string(number) + "]";
        out.items.push_back({CompletionKind::kLabel, text,
                             with_keyword ? text : std::to_string(number) + "]",
                             with_keyword ? text : std::to_string(number), ""});
    }
}

// A word: keywords and functions that start with it, variables whose notes name holds it.
void ProgramAnalysis::complete_words(std::string_view typed, Completion& out) const {
    const std::string key = match_key(typed);
    for (const char* keyword : kKeywords) {
        if (starts_with(keyword, key)) {
            out.items.push_back({CompletionKind::kKeyword, keyword, keyword, keyword, ""});
        }
    }
    for (const FunctionDoc& doc : function_docs()) {
        if (starts_with(match_key(doc.name), key)) {
            const std::string insert = doc.name + (doc.parameters.empty() ? "()" : "(");
            out.items.push_back(
                {CompletionKind::kFunction, doc.signature(), insert, doc.name, doc.purpose});
        }
    }
    if (key.empty()) {
        return;  // every variable would crowd the list; `var[` lists them
    }
    std::size_t n = 0;
    for (const auto& [index, name] : notes_.names()) {
        if (name_keys_[n++].find(key) != std::string::npos) {
            const std::string text = "var[" + std::to_string(index) + "]";
            out.items.push_back({CompletionKind::kVariable, text, text, name, name});
        }
    }
}

// Inside a call's parentheses: the function and the parameter the caret is on.
std::optional<SignatureHelp> ProgramAnalysis::signature_help(TextPosition at) const {
    const std::string_view before = line_text(at.line).substr(0, std::max(at.column, 0));
    if (before.find('#') != std::string_view::npos) {
        return std::nullopt;
    }
    int commas = 0;
    for (const Token* token = token_before(at); token != nullptr; token = token->prev) {
        if (token->type == kPunctuation && token->text[0] == ',') {
            ++commas;
        } else if (is(token, kPunctuation, '(')) {
            const Token* name = token->prev;
            const FunctionDoc* doc = name != nullptr && name->type == kFunctionName
                                         ? find_function_doc(name->text)
                                         : nullptr;
            if (doc == nullptr) {
                return std::nullopt;
            }
            return SignatureHelp{doc, commas};
        } else if (!is(token, kPunctuation, '[') && !is(token, kPunctuation, ']') &&
                   token->type != kNumber && token->type != kVarKeyword &&
                   token->type != kUnrecognised) {
            return std::nullopt;  // `)`, `;`, a brace, an operator: not inside a call
        }
    }
    return std::nullopt;
}

}  // namespace vx::language
