// Lexer: token texts, types, columns and lines from source bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/lexer.h"
#include "compiler/token_table.h"
#include "compiler_test_support.h"

namespace vx {
namespace {

struct Lexed {
    std::string text;  // a number as its decimal value
    int type;
    int column;
    int line;
    bool operator==(const Lexed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Lexed& t) {
    return os << "{\"" << t.text << "\", " << t.type << ", " << t.column << ":" << t.line << "}";
}

std::vector<Lexed> lex(const std::string& source) {
    TokenList tokens = test::tokens_of(source);
    std::vector<Lexed> out;
    for (const Token* t = tokens.first(); t != nullptr; t = t->next) {
        const std::string text =
            t->type == kNumber ? std::to_string(number_value(*t)) : std::string(t->text);
        out.push_back({text, t->type, t->column, t->line});
    }
    return out;
}

std::vector<std::string> texts(const std::string& source) {
    std::vector<std::string> out;
    for (const Lexed& t : lex(source)) {
        out.push_back(t.text);
    }
    return out;
}

TEST(Lexer, GivesTypesColumnsAndLinesOfAStatementWithComment) {
    const std::vector<Lexed> expected = {
        {"var", kVarKeyword, 1, 1}, {"[", kPunctuation, 4, 1},  {"0", kNumber, 5, 1},
        {"]", kPunctuation, 6, 1},  {"=", kAssignment, 7, 1},   {"GetTime", kFunctionName, 8, 1},
        {"(", kPunctuation, 15, 1}, {")", kPunctuation, 16, 1}, {";", kPunctuation, 17, 1},
    };
    EXPECT_EQ(expected, lex("var[0]=GetTime(); # comment\n"));
}

TEST(Lexer, CountsLinesAndColumns) {
    // CR LF ends one line; a tab is one column; a comment's line end counts once.
    const std::vector<Lexed> expected = {
        {"label", kLabelKeyword, 1, 1}, {"[", kPunctuation, 6, 1},    {"1", kNumber, 7, 1},
        {"]", kPunctuation, 8, 1},      {":", kPunctuation, 9, 1},    {"goto", kGotoKeyword, 2, 2},
        {"pass", kPassKeyword, 1, 4},   {"else", kElseKeyword, 6, 4}, {"if", kIfKeyword, 3, 5},
    };
    EXPECT_EQ(expected, lex("label[1]:\r\n\tgoto # note\r\n# whole line\npass else\n  if\n"));
}

TEST(Lexer, SplitsOperatorsAndDelimiters) {
    const struct {
        const char* source;
        std::vector<std::string> tokens;
    } cases[] = {
        {"a>=b;", {"a", ">=", "b", ";"}},
        {"a=>b;", {"a", "=", ">", "b", ";"}},
        {"a&b;", {"a", "&", "b", ";"}},
        {"a!==b;", {"a", "!=", "=", "b", ";"}},
        {"a&&b||c<=d<e!f%g;",
         {"a", "&&", "b", "||", "c", "<=", "d", "<", "e", "!", "f", "%", "g", ";"}},
        {"{x}(y),[z]:a+b-c*d/e;", {"{", "x", "}", "(", "y", ")", ",", "[", "z", "]", ":",
                                   "a", "+", "b", "-", "c", "*", "d", "/", "e", ";"}},
        {"var[1]$==var[2];", {"var", "[", "1", "]", "$==", "var", "[", "2", "]", ";"}},
        {"a$<=b;", {"a", "$<=", "b", ";"}},
        {"a$!=b$<c$>d$>=e;", {"a", "$!=", "b", "$<", "c", "$>", "d", "$>=", "e", ";"}},
        {"$abc;", {"$abc", ";"}},
        {"$=5;", {"$=", "5", ";"}},
        {"$!5;", {"$!", "5", ";"}},
        {"a $", {"a", "$"}},
        {"a$b c", {"a$b"}},
        {"x=y#z=w\nq;", {"x", "=", "y", "q", ";"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(c.tokens, texts(c.source));
    }
}

TEST(Lexer, ClassifiesByTheTokenTable) {
    const struct {
        const char* source;
        int type;
    } cases[] = {
        {"GetTime ", kFunctionName},
        {"gettime ", kUnrecognised},
        {"VAR ", kUnrecognised},
        {"& ", kUnrecognised},
        {"$= ", kUnrecognised},
        {"$== ", kOperator},
        {"= ", kAssignment},
        {"} ", kPunctuation},
        {"CalculateFanSpeed ", kFunctionName},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 ", kUnrecognised},  // Cyrillic in code page 1251
        {"els\xE5 ", kUnrecognised},                   // "else" ending in a Cyrillic "е"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const auto tokens = lex(c.source);
        ASSERT_EQ(1u, tokens.size());
        EXPECT_EQ(c.type, tokens[0].type);
    }
}

TEST(Lexer, ReadsTheLeadingDigitsOfANumberModulo65536) {
    const struct {
        const char* source;
        uint16_t value;
        int32_t length;
    } cases[] = {
        {"65537 ", 1, 5},
        {"12ab ", 12, 4},
        {"0x10 ", 0, 4},
        {"1.5 ", 1, 3},
        {"007 ", 7, 3},
        {"65535 ", 65535, 5},
        {"99999999999999999999 ", 65535, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TokenList tokens = test::tokens_of(c.source);
        ASSERT_EQ(1u, tokens.size());
        EXPECT_EQ(kNumber, tokens.first()->type);
        EXPECT_EQ(c.value, number_value(*tokens.first()));
        EXPECT_EQ(c.length, tokens.first()->length);
        EXPECT_EQ(std::string(c.source, c.length), tokens.first()->text);
    }
}

TEST(Lexer, GivesNoTokenForEmptySourcesCommentsAndTheLastPendingBytes) {
    EXPECT_TRUE(lex("").empty());
    EXPECT_TRUE(lex("# only a comment\n\t \r\n# and another").empty());
    EXPECT_TRUE(lex("#").empty());
    // Nothing after the 5: it forms no token.
    EXPECT_EQ((std::vector<std::string>{"var", "[", "0", "]", "="}), texts("var[0]=5"));
}

TEST(Lexer, LoadsFilesAndReportsWhatCantBeRead) {
    test::TempDir dir;
    test::write_file(dir / "a.prg", "var[0]=1;\n");
    Lexer lexer;
    EXPECT_EQ(kSourceLoaded, lexer.load_source((dir / "a.prg").string()));
    lexer.tokenize();
    EXPECT_EQ(7u, lexer.take_tokens().size());

    EXPECT_EQ(kSourceCantOpen, lexer.load_source((dir / "missing.prg").string()));
    EXPECT_EQ(ENOENT, lexer.load_errno());
    lexer.tokenize();
    EXPECT_TRUE(lexer.take_tokens().empty());

    // A folder opens but can't be read (Windows won't even open it): no buffer, no tokens.
#ifdef _WIN32
    EXPECT_EQ(kSourceCantOpen, lexer.load_source(dir.path().string()));
#else
    EXPECT_EQ(kSourceCantRead, lexer.load_source(dir.path().string()));
#endif
    lexer.tokenize();
    EXPECT_TRUE(lexer.take_tokens().empty());
}

}  // namespace
}  // namespace vx
