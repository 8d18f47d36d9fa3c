// The language library against the compiler's record and on small programs with notes.
#include <gtest/gtest.h>

#include <fstream>

#include "compiler/token_table.h"
#include "files/codepage.h"
#include "language/document_text.h"
#include "language/program_analysis.h"
#include "tests/compiler/recorded_corpus.h"

namespace vx::language {
namespace {

// A program with its caret: '@' marks the caret and is taken out.
struct Caret {
    std::string text;
    TextPosition at;
};

Caret caret_in(std::string_view marked) {
    Caret out;
    for (char ch : marked) {
        if (ch == '@') {
            continue;
        }
        out.text += ch;
    }
    const std::string_view before = marked.substr(0, marked.find('@'));
    out.at.line = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    out.at.column = static_cast<int>(before.size() - (before.rfind('\n') + 1));
    return out;
}

const char* const kNotes =
    "Программа котельной\n"
    "#var[20] Температура в зале\n"
    "  #var[21] Уставка зала\n"
    "#var[1024] не переменная\n"
    "#var[22]Режим котла\n";

ProgramAnalysis analysed(const std::string& text) {
    ProgramAnalysis analysis;
    analysis.set_notes(VariableNotes(kNotes));
    analysis.set_text(text);
    return analysis;
}

TEST(ProgramAnalysis, DiagnosticsEqualVxcOnTheRecordedCorpus) {
    std::ifstream record(test::kRecordedOutputs);
    ASSERT_TRUE(record.good());
    int programs = 0;
    int faults = 0;
    std::string line;
    while (std::getline(record, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t first = line.find('\t');
        const std::size_t second = line.find('\t', first + 1);
        const std::string recorded =
            line.substr(second + 1, line.find('\t', second + 1) - second - 1);
        ProgramAnalysis analysis;
        analysis.set_text(test::recorded_source(line.substr(0, first)));
        std::string now = "-";
        for (const Diagnostic& d : analysis.diagnostics()) {
            now = std::to_string(d.line) + ":" + std::to_string(d.column) + ": " + d.message;
        }
        EXPECT_EQ(recorded, now) << line.substr(0, first);
        ASSERT_LE(analysis.diagnostics().size(), 1u);
        faults += now != "-";
        ++programs;
    }
    EXPECT_GT(programs, 200);
    EXPECT_GT(faults, 50);
}

TEST(ProgramAnalysis, DiagnosticUnderlinesTheTokenTheCompilerNames) {
    const ProgramAnalysis analysis = analysed("var[0]=1;\nvar[1]=StartTimer(1);\n");
    ASSERT_EQ(1u, analysis.diagnostics().size());
    const Diagnostic& d = analysis.diagnostics()[0];
    EXPECT_EQ((TextRange{{1, 19}, {1, 20}}), d.range);  // the `)` where a `,` was needed
    EXPECT_TRUE(analysed("var[0]=1;\n").diagnostics().empty());
}

std::vector<std::string> labels_of(const Completion& completion) {
    std::vector<std::string> labels;
    for (const CompletionItem& item : completion.items) {
        labels.push_back(item.label + "=" + item.insert_text);
    }
    return labels;
}

TEST(ProgramAnalysis, CompletesByWhatComesBeforeTheCaret) {
    const std::string cyrillic_word = files::utf8_to_cp1251("зал");
    struct Row {
        std::string marked;
        std::vector<std::string> expected;  // every item, label=insert
    };
    const std::vector<Row> rows = {
        {"var[0]=Ran@", {"Random(n)=Random("}},
        {"var[0]=getT@", {"GetTime()=GetTime()"}},
        {"i@", {"if=if"}},
        {"var[@", {"var[20]=20]", "var[21]=21]", "var[22]=22]"}},
        {"var[@]=1;", {"var[20]=20", "var[21]=21", "var[22]=22"}},
        {"var[2@", {"var[20]=20]", "var[21]=21]", "var[22]=22]"}},
        {"var[" + cyrillic_word + "@", {"var[20]=20]", "var[21]=21]"}},
        {"var[0]=" + cyrillic_word + "@", {"var[20]=var[20]", "var[21]=var[21]"}},
        {"var[0]=1; # Ran@", {}},
        {"goto label[5];\ngoto @\nlabel[3]:\nlabel[9]:\n",
         {"label[3]=label[3]", "label[9]=label[9]"}},
        {"goto label[5];\ngoto label[@\nlabel[3]:\n", {"label[3]=3]"}},
        {"label[7]:\ngoto label[5];\ngoto label[6];\nlabel[6]:\nlabel[@", {"label[5]=5]"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.marked);
        const Caret caret = caret_in(row.marked);
        EXPECT_EQ(row.expected, labels_of(analysed(caret.text).complete(caret.at)));
    }
    const Caret caret = caret_in("var[0]=Set_Rel@");
    const Completion completion = analysed(caret.text).complete(caret.at);
    EXPECT_EQ((TextRange{{0, 7}, {0, 14}}), completion.replace);
    ASSERT_EQ(2u, completion.items.size());
    EXPECT_EQ("Set_Relay_State(адрес, реле, состояние)", completion.items[0].label);
}

TEST(ProgramAnalysis, SignatureHelpFollowsTheParameterTheCaretIsOn) {
    struct Row {
        const char* marked;
        const char* function;  // "" for none
        int active;
    };
    const std::vector<Row> rows = {
        {"var[0]=SetThermoregOutput(@", "SetThermoregOutput", 0},
        {"var[0]=SetThermoregOutput(3, 1@", "SetThermoregOutput", 1},
        {"var[0]=SetThermoregOutput(3, var[1], @);", "SetThermoregOutput", 2},
        {"var[0]=SetThermoregOutput(3, 1, 2)@;", "", 0},
        {"var[0]=GetHour();\nvar[1]=@", "", 0},
        {"if (var[1]==@", "", 0},
        {"var[0]=Random(5); # Random(@", "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.marked);
        const Caret caret = caret_in(row.marked);
        const auto help = analysed(caret.text).signature_help(caret.at);
        EXPECT_EQ(row.function, std::string(help ? help->function->name : ""));
        EXPECT_EQ(row.active, help ? help->active_parameter : 0);
    }
    const Caret caret = caret_in("var[0]=SetThermoregOutput(3, 1@");
    const ParameterDoc& parameter =
        analysed(caret.text).signature_help(caret.at)->function->parameters[1];
    EXPECT_EQ("канал — канал терморегулятора; 0", parameter_line(parameter));
}

class FixedValues final : public VariableValues {
public:
    std::optional<uint16_t> value(int index) const override {
        return index == 20 ? std::optional<uint16_t>(215) : std::nullopt;
    }
};

TEST(ProgramAnalysis, HoverNamesVariablesAndDescribesFunctions) {
    ProgramAnalysis analysis = analysed("var[20]=Random(var[21]);\nvar[30]=1;\n");
    FixedValues values;
    EXPECT_EQ("var[20] — Температура в зале", analysis.hover({0, 2}).text);
    analysis.set_values(&values);
    EXPECT_EQ("var[20] — Температура в зале\nЗначение: 215", analysis.hover({0, 6}).text);
    EXPECT_EQ("var[21] — Уставка зала", analysis.hover({0, 19}).text);
    EXPECT_EQ("var[30]", analysis.hover({1, 0}).text);
    EXPECT_EQ(
        "Random(n)\nСлучайное число.\nn — верхняя граница: результат от 0 до n − 1 (0 при n = 0); "
        "0–65535",
        analysis.hover({0, 10}).text);
    EXPECT_EQ("", analysis.hover({0, 7}).text);  // `=`
}

TEST(ProgramAnalysis, FindsLabelsAndEveryUseOfAVariable) {
    const Caret caret = caret_in(
        "if (var[1]==1) { goto label[4]; };\n"
        "goto lab@el[4];\n"
        "var[1]=var[2]+var[1];\n"
        "label[4]:\n");
    const ProgramAnalysis analysis = analysed(caret.text);
    const TextRange declaration{{3, 0}, {3, 8}};
    EXPECT_EQ(declaration, analysis.definition(caret.at));
    EXPECT_EQ(declaration, analysis.definition({3, 3}));
    EXPECT_EQ(std::nullopt, analysis.definition({2, 2}));
    EXPECT_EQ((std::vector<TextRange>{{{0, 22}, {0, 30}}, {{1, 5}, {1, 13}}, declaration}),
              analysis.references(caret.at));
    EXPECT_EQ((std::vector<TextRange>{{{0, 4}, {0, 10}}, {{2, 0}, {2, 6}}, {{2, 14}, {2, 20}}}),
              analysis.references({2, 15}));
    EXPECT_TRUE(analysis.references({1, 2}).empty());  // `goto`
}

TEST(VariableNotes, ReadsNamesFromRtfAndPlainTextNotes) {
    test::TempDir dir;
    const std::filesystem::path rtf_program = dir / "rtf.prg";
    const std::filesystem::path plain_program = dir / "plain.prg";
    test::write_file(
        dir / "rtf.prg.tag",
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 "
        "#var[20] \\b \\'d2\\'e5\\'ec\\'ef\\'e5\\'f0\\'e0\\'f2\\'f3\\'f0\\'e0\\b0\\par "
        "#var[5] x\\line #var[6] y\\par}");
    test::write_file(dir / "plain.prg.tag", files::utf8_to_cp1251("#var[3] Свет\r\n#var[4] \r\n"));
    const VariableNotes rtf_notes = load_variable_notes(rtf_program);
    EXPECT_EQ("Температура", rtf_notes.name(20));
    EXPECT_EQ("x", rtf_notes.name(5));
    EXPECT_EQ("y", rtf_notes.name(6));
    const VariableNotes plain_notes = load_variable_notes(plain_program);
    EXPECT_EQ("Свет", plain_notes.name(3));
    EXPECT_EQ(1u, plain_notes.names().size());  // var[4] has no name
    EXPECT_TRUE(load_variable_notes(dir / "none.prg").names().empty());
    const VariableNotes inline_notes(kNotes);
    EXPECT_EQ("Режим котла", inline_notes.name(22));
    EXPECT_EQ(3u, inline_notes.names().size());  // 1024 is no variable
}

TEST(FunctionDocs, DescribeEveryParameterOfEveryBuiltinFunction) {
    ASSERT_EQ(static_cast<std::size_t>(kBuiltinFunctionCount), function_docs().size());
    for (const BuiltinFunction& function : builtin_functions()) {
        SCOPED_TRACE(function.name);
        const FunctionDoc* doc = find_function_doc(function.name);
        ASSERT_NE(nullptr, doc);
        EXPECT_FALSE(doc->purpose.empty());
        ASSERT_EQ(function.param_count, doc->parameters.size());
        for (const ParameterDoc& parameter : doc->parameters) {
            EXPECT_FALSE(parameter.name.empty() || parameter.meaning.empty() ||
                         parameter.range.empty());
        }
    }
}

TEST(DocumentText, MapsUtf16ColumnsToTheBytesTheCompilerReads) {
    // A wide character (two UTF-16 units) and one code page 1251 lacks, then Cyrillic.
    DocumentText text("var[0]=1;\n\U0001F600\u00FCб var[1]=2;\n");
    EXPECT_EQ("var[0]=1;\n??\xE1 var[1]=2;\n", text.cp1251());
    const std::vector<std::pair<int, int>> utf16_to_byte = {{0, 0}, {2, 1}, {3, 2}, {5, 4}, {9, 8}};
    for (const auto& [utf16, byte] : utf16_to_byte) {
        SCOPED_TRACE(utf16);
        EXPECT_EQ(byte, text.byte_column(1, utf16));
        EXPECT_EQ(utf16, text.utf16_column(1, byte));
        EXPECT_EQ(utf16, text.byte_column(0, utf16));  // a line without wide characters
    }
    text.replace({1, 3}, {1, 4}, "Я");
    EXPECT_EQ("var[0]=1;\n\U0001F600\u00FCЯ var[1]=2;\n", text.utf8());
    text.replace({0, 7}, {0, 8}, "12\n");
    EXPECT_EQ("var[0]=12\n;\n??\xDF var[1]=2;\n", text.cp1251());
}

}  // namespace
}  // namespace vx::language
