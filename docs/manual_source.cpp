// Expanding the manual's directives with the compiler's tables and passes.
#include "docs/manual_source.h"

#include <set>
#include <vector>

#include "compiler/compile_program.h"
#include "compiler/instruction.h"
#include "compiler/token_table.h"
#include "files/codepage.h"

namespace vx::manual {

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Text for a table cell: the pipe would end the cell.
std::string cell(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '|') {
            out += "\\|";
        } else {
            out += c;
        }
    }
    return out;
}

// An operator for a table cell, in plain text: inside a code span the reader
// would show the backslash that keeps a pipe from ending the cell.
std::string operator_cell(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += '\\';
        out += c;
    }
    return out;
}

// The source as the editor stores it: code page 1251, every line ending in CR LF.
std::string stored_program(std::string_view utf8) {
    std::string bytes;
    for (std::string_view line : split_lines(utf8)) {
        bytes += files::utf8_to_cp1251(line);
        bytes += "\r\n";
    }
    return bytes;
}

std::string call_form(const BuiltinFunction& function) {
    std::string call = function.name;
    call += '(';
    for (int i = 0; i < function.param_count; ++i) {
        call += (i == 0 ? "p" : ", p") + std::to_string(i + 1);
    }
    return call + ")";
}

std::string functions_table(const std::map<std::string, std::string>& notes, std::string& error) {
    std::string table =
        "| № | Функция | Параметров | Назначение |\n"
        "|---:|---|---:|---|\n";
    std::set<std::string> known;
    for (const BuiltinFunction& function : builtin_functions()) {
        known.insert(function.name);
        const auto note = notes.find(function.name);
        if (note == notes.end()) {
            error = std::string("no note for the built-in function ") + function.name;
            return {};
        }
        table += "| " + std::to_string(function.number) + " | `" + call_form(function) + "` | " +
                 std::to_string(function.param_count) + " | " + cell(note->second) + " |\n";
    }
    for (const auto& [name, text] : notes) {
        if (known.count(name) == 0) {
            error = "a note for " + name + ", which is not a built-in function";
            return {};
        }
    }
    return table;
}

std::string operators_table(const std::map<std::string, std::string>& notes, std::string& error) {
    std::string table =
        "| Операция | Код | Значение |\n"
        "|---|---:|---|\n";
    std::set<std::string> known;
    for (const TokenDef& def : token_table()) {
        if (def.type != kOperator) {
            continue;
        }
        known.insert(def.text);
        const auto note = notes.find(def.text);
        if (note == notes.end()) {
            error = std::string("no note for the operator ") + def.text;
            return {};
        }
        table += "| " + operator_cell(def.text) + " | " + std::to_string(operation_code(def.text)) +
                 " | " + cell(note->second) + " |\n";
    }
    for (const auto& [name, text] : notes) {
        if (known.count(name) == 0) {
            error = "a note for " + name + ", which is not an operator";
            return {};
        }
    }
    return table;
}

std::string listing_block(std::string_view source, std::string& error) {
    CompileError fault;
    CompiledProgram program;
    compile_source(stored_program(source), fault, program);
    if (!program.lowered) {
        error = "an example for @listing does not pass the checks: " + diagnostic_line(fault);
        return {};
    }
    std::string listing = files::cp1251_to_utf8(program.listing);
    if (!listing.empty() && listing.back() != '\n') {
        listing += '\n';
    }
    return "```text\n" + listing + "```\n";
}

}  // namespace

std::map<std::string, std::string> parse_notes(std::string_view text, std::string& error) {
    std::map<std::string, std::string> notes;
    int number = 0;
    for (std::string_view line : split_lines(text)) {
        ++number;
        if (trimmed(line).empty() || line.front() == '#') {
            continue;
        }
        const std::size_t tab = line.find('\t');
        const std::string name(trimmed(line.substr(0, tab)));
        // Columns after the second (a function's parameters) are the editor's.
        const std::string_view rest =
            tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);
        const std::string note(trimmed(rest.substr(0, rest.find('\t'))));
        if (name.empty() || note.empty() || !notes.emplace(name, note).second) {
            error =
                "notes line " + std::to_string(number) + " is not \"name<TAB>text\" of a new name";
            return {};
        }
    }
    return notes;
}

std::string compile_result_text(std::string_view source, bool& compiled) {
    CompileError error;
    CompiledProgram program;
    const int result = compile_source(stored_program(source), error, program);
    compiled = result == kCompiled;
    if (compiled) {
        return "компилируется без ошибок (инструкций: " +
               std::to_string(program.instructions.size()) + ")";
    }
    if (error.code == fault::kNoFault) {
        return compile_failure_message(result, error, "program.prg");
    }
    return diagnostic_line(error);
}

Expanded expand_manual(std::string_view source, std::string_view function_notes,
                       std::string_view operator_notes) {
    Expanded out;
    std::string error;
    const auto functions = parse_notes(function_notes, error);
    const auto operators =
        error.empty() ? parse_notes(operator_notes, error) : std::map<std::string, std::string>{};
    std::string example;           // the last ```prg block
    bool in_example = false;       // inside a ```prg block
    bool in_other_code = false;    // inside any other fenced block
    bool example_pending = false;  // a closed ```prg block not yet followed by @result
    int example_line = 0;
    int number = 0;
    auto check_pending = [&] {
        if (!example_pending) {
            return;
        }
        example_pending = false;
        bool compiled = false;
        const std::string result = compile_result_text(example, compiled);
        if (!compiled) {
            error = "the example at line " + std::to_string(example_line) +
                    " does not compile and has no @result: " + result;
        }
    };
    for (std::string_view line : split_lines(source)) {
        ++number;
        if (!error.empty()) {
            break;
        }
        const std::string_view bare = trimmed(line);
        if (in_example || in_other_code) {
            if (bare == "```") {
                in_other_code = false;
                example_pending = in_example;
                in_example = false;
            } else if (in_example) {
                example += std::string(line) + "\n";
            }
            out.markdown += std::string(line) + "\n";
            continue;
        }
        if (bare.rfind("```", 0) == 0) {
            check_pending();
            in_example = bare == "```prg";
            in_other_code = !in_example;
            if (in_example) {
                example.clear();
                example_line = number;
            }
            out.markdown += std::string(line) + "\n";
            continue;
        }
        if (bare == "<!-- @functions -->") {
            out.markdown += functions_table(functions, error);
        } else if (bare == "<!-- @operators -->") {
            out.markdown += operators_table(operators, error);
        } else if (bare == "<!-- @result -->") {
            example_pending = false;
            bool compiled = false;
            out.markdown += "Результат: `" + compile_result_text(example, compiled) + "`\n";
        } else if (bare == "<!-- @listing -->") {
            out.markdown += listing_block(example, error);
        } else if (bare.rfind("<!-- @", 0) == 0) {
            error =
                "unknown directive at line " + std::to_string(number) + ": " + std::string(bare);
        } else {
            out.markdown += std::string(line) + "\n";
        }
    }
    if (error.empty() && (in_example || in_other_code)) {
        error = "a code block is not closed at the end";
    }
    if (error.empty()) {
        check_pending();
    }
    out.error = error;
    if (!error.empty()) {
        out.markdown.clear();
    }
    return out;
}

}  // namespace vx::manual
