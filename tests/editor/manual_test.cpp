// The programming manual: its generated parts against the compiler, and the
// PDF that the normal build puts beside the configurator.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "compiler/token_table.h"
#include "docs/manual_source.h"

namespace vx::manual {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Sources {
    std::string manual = read_file(VX_SOURCE_DIR "/docs/programming_manual.md");
    std::string functions = read_file(VX_SOURCE_DIR "/docs/builtin_functions.tsv");
    std::string operators = read_file(VX_SOURCE_DIR "/docs/operators.tsv");
};

TEST(Manual, ListsEveryFunctionOfTheTokenTableWithItsParameterCount) {
    const Sources sources;
    const Expanded expanded = expand_manual(sources.manual, sources.functions, sources.operators);
    ASSERT_EQ("", expanded.error);
    EXPECT_EQ(std::string::npos, expanded.markdown.find("<!-- @"));

    // Rows "| number | `name(p1, p2)` | parameters | ..." as the reader of the PDF sees them.
    std::set<std::tuple<std::string, int>> listed;
    std::set<int> numbers;
    const std::regex row(R"(\| (\d+) \| `(\w+)\((?:p1(?:, p\d)*)?\)` \| (\d+) \|)");
    for (std::sregex_iterator it(expanded.markdown.begin(), expanded.markdown.end(), row), end;
         it != end; ++it) {
        numbers.insert(std::stoi((*it)[1]));
        listed.emplace((*it)[2], std::stoi((*it)[3]));
    }
    std::set<std::tuple<std::string, int>> table;
    for (const TokenDef& def : token_table()) {
        if (def.type == kFunctionName) {
            table.emplace(def.text, def.param_count);
        }
    }
    EXPECT_EQ(40u, table.size());
    EXPECT_EQ(table, listed);
    EXPECT_EQ(40u, numbers.size());
    EXPECT_EQ(1, *numbers.begin());
    EXPECT_EQ(40, *numbers.rbegin());
}

TEST(Manual, NotesMustDescribeExactlyTheCompilersVocabulary) {
    const Sources sources;
    const struct {
        std::string functions;
        std::string operators;
        const char* error_names;
    } cases[] = {
        {std::regex_replace(sources.functions, std::regex("StopTimer\t[^\n]*\n"), ""),
         sources.operators, "StopTimer"},
        {sources.functions + "StartTimers\tНет такой.\n", sources.operators, "StartTimers"},
        {sources.functions,
         std::regex_replace(sources.operators, std::regex(R"(\$<=\t[^\n]*\n)"), ""), "$<="},
        {sources.functions, sources.operators + "=\tПрисваивание.\n", "="},
        {sources.functions + "GetTime\tЕщё раз.\n", sources.operators, "line"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.error_names);
        const Expanded expanded = expand_manual(sources.manual, row.functions, row.operators);
        EXPECT_NE(std::string::npos, expanded.error.find(row.error_names)) << expanded.error;
        EXPECT_EQ("", expanded.markdown);
    }
}

TEST(Manual, ExamplesShowWhatTheCompilerReallySays) {
    const std::string notes_f = Sources().functions;
    const std::string notes_o = Sources().operators;
    const std::string source =
        "```prg\nvar[0]=StartTimer(1);\n```\n<!-- @result -->\n"
        "```prg\nif (var[1]==5) { var[2]=1; };\n```\n<!-- @listing -->\n";
    const Expanded expanded = expand_manual(source, notes_f, notes_o);
    ASSERT_EQ("", expanded.error);
    EXPECT_NE(
        std::string::npos,
        expanded.markdown.find("Результат: `(20 : 1) Неверное количество параметров функции.`"));
    EXPECT_NE(std::string::npos,
              expanded.markdown.find("```text\nif(var[1]==5)goto label[1000];\ngoto "
                                     "label[1001];\nlabel[1000]:\nvar[2]=1;\nlabel[1001]:\n```"));

    // An example that fails without saying so stops the build of the manual.
    const Expanded silent = expand_manual("```prg\nvar[1024]=1;\n```\ntext\n", notes_f, notes_o);
    EXPECT_NE(std::string::npos, silent.error.find("(5 : 1)")) << silent.error;
    EXPECT_NE("", expand_manual("<!-- @unknown -->\n", notes_f, notes_o).error);
    EXPECT_NE("", expand_manual("```prg\nvar[0]=1;\n", notes_f, notes_o).error);
}

TEST(Manual, TheBuildPutsThePdfBesideTheConfigurator) {
    const std::string pdf = read_file(VX_BINARY_DIR "/app/Docs/" VX_MANUAL_FILE_NAME);
    ASSERT_GT(pdf.size(), 10000u);
    EXPECT_EQ("%PDF", pdf.substr(0, 4));
    EXPECT_NE(std::string::npos, pdf.find("/Type /Page"));
}

}  // namespace
}  // namespace vx::manual
