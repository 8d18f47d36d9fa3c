// The built-in function table, read once from the copy compiled in.
#include "language/function_docs.h"

namespace vx::language {

namespace {

constexpr std::string_view kFunctionTable =
#include "function_table.inc"
    ;

// The pieces of `text` between separators, the last one included.
std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

}  // namespace

std::string FunctionDoc::signature() const {
    std::string text = name + "(";
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        text += (i == 0 ? "" : ", ") + parameters[i].name;
    }
    return text + ")";
}

std::string parameter_line(const ParameterDoc& parameter) {
    std::string line = parameter.name + " — " + parameter.meaning;
    return parameter.range.empty() ? line : line + "; " + parameter.range;
}

std::vector<FunctionDoc> parse_function_table(std::string_view text) {
    std::vector<FunctionDoc> docs;
    for (std::string_view line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string_view> columns = split(line, '\t');
        FunctionDoc doc{
            std::string(columns[0]), columns.size() > 1 ? std::string(columns[1]) : "", {}};
        for (std::size_t i = 2; i < columns.size(); ++i) {
            const std::vector<std::string_view> fields = split(columns[i], '|');
            doc.parameters.push_back({std::string(fields[0]),
                                      fields.size() > 1 ? std::string(fields[1]) : "",
                                      fields.size() > 2 ? std::string(fields[2]) : ""});
        }
        docs.push_back(std::move(doc));
    }
    return docs;
}

const std::vector<FunctionDoc>& function_docs() {
    static const std::vector<FunctionDoc> docs = parse_function_table(kFunctionTable);
    return docs;
}

const FunctionDoc* find_function_doc(std::string_view name) {
    for (const FunctionDoc& doc : function_docs()) {
        if (doc.name == name) {
            return &doc;
        }
    }
    return nullptr;
}

}  // namespace vx::language
