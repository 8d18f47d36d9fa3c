// Parser: which programs pass, and the code and position of the first fault.
#include <gtest/gtest.h>

#include "compiler/parser.h"
#include "compiler_test_support.h"

namespace vx {
namespace {

struct Case {
    const char* source;
    int code;
    int column;
    int line;
};

void expect_diagnostics(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const test::Compiled compiled = test::compile(c.source);
        EXPECT_EQ(c.code, compiled.error.code);
        EXPECT_EQ(c.column, compiled.error.column);
        EXPECT_EQ(c.line, compiled.error.line);
        EXPECT_EQ(c.code == fault::kNoFault, compiled.result == kCompiled);
    }
}

TEST(Parser, AcceptsTheLanguage) {
    expect_diagnostics({
        {"var[0]=GetTime();\n", -2, 0, 0},
        {"var[1023]=1;\n", -2, 0, 0},
        {"var[65541]=1;\n", -2, 0, 0},  // 65541 is 5 once reduced
        {"var[0]=!var[1];\nvar[0]=!=5;\n", -2, 0, 0},
        {"var[0]=var[1]$>=7;\nvar[2]=3!4;\n", -2, 0, 0},
        {"var[0]=SendRemoteCmd(1,var[2],3,var[4]);\n", -2, 0, 0},
        {"goto label[5]; label[5]:\n", -2, 0, 0},
        {"goto label[5];\ngoto label[5];\nlabel[5]:\n", -2, 0, 0},
        {"if (1==1) { if (2==2) { var[0]=1; } else { var[0]=2; }; };\n", -2, 0, 0},
        {"if (var[0]<var[1]) { } else { };\n", -2, 0, 0},
    });
}

TEST(Parser, RejectsMisplacedTokens) {
    expect_diagnostics({
        {"GetTime();\n", 1, 1, 1},
        {"var[0]=GetTime;\n", 1, 15, 1},
        {"var[0]=var[1]+var[2]*3;\n", 1, 21, 1},
        {"pass;\n", 1, 1, 1},
        {"foo;\n", 1, 1, 1},
        {"{\n", 1, 1, 1},
        {"else {};\n", 1, 1, 1},
        {"var[0] 5;\n", 1, 8, 1},
        {"var[0]=+1;\n", 1, 8, 1},
        {"var[0]=$!=5;\n", 1, 8, 1},
        {"var[0]=5 6;\n", 1, 10, 1},
        {"var[0]=var[1]+;\n", 1, 15, 1},
        {"var[0]=StopTimer(GetTime);\n", 1, 18, 1},
        {"if var[0]==1) {}\n", 1, 4, 1},
        {"if (var[0] 1) {};\n", 1, 12, 1},
        {"if (var[0]==1 {};\n", 1, 15, 1},
        {"if (var[0]==1) var[1]=1;\n", 1, 16, 1},
        {"if (1==1) {} else {} var[0]=1;\n", 1, 22, 1},
        {"if (1==1) {} else var[0]=1;\n", 1, 19, 1},
        {"label[1] var[0]=1;\n", 1, 10, 1},
    });
}

TEST(Parser, RejectsBadVariablesAndCalls) {
    expect_diagnostics({
        {"var[1024]=1;\n", 8, 5, 1},
        {"var[0]=StopTimer(var[2000]);\n", 8, 22, 1},
        {"var[x]=1;\n", 4, 5, 1},
        {"var 0]=1;\n", 5, 1, 1},
        {"var[0=1;\n", 5, 1, 1},
        {"var[0]=StartTimer(1);\n", 9, 20, 1},
        {"var[0]=StartTimer(1,2,3);\n", 9, 22, 1},
        {"var[0]=GetTime(5);\n", 9, 16, 1},
    });
}

TEST(Parser, RejectsBadLabelsAndGotos) {
    expect_diagnostics({
        {"label[5]: goto label[5];\n", 12, 1, 1},
        {"goto label[6];\n", 14, 6, 1},
        {"goto label[7];\ngoto label[8];\nlabel[8]:\n", 14, 6, 1},
        {"label[1]: label[1]:\n", 13, 11, 1},
        {"label[512]:\n", 8, 7, 1},
        {"label[a]:\n", 4, 7, 1},
        {"goto 5;\n", 10, 6, 1},
        {"label 5]:\n", 11, 1, 1},
        {"goto label[5;\n", 11, 6, 1},
    });
}

TEST(Parser, RejectsBadBlocksAndEarlyEnds) {
    expect_diagnostics({
        {"if (var[0]==1) { var[1]=2; }", 2, 28, 1},
        {"if (var[0]==1) { var[1]=2; }\nvar[2]=0;\n", 16, 1, 2},
        {"if (var[0]==1) {\n", 18, 1, 1},
        {"if(1==1){}else{", 18, 1, 1},
        {"if(1==1){if(2==2){};", 18, 1, 1},
        {"var[0]=", 2, 7, 1},
        {"var[0]=StartTimer(1,2", 2, 20, 1},
        // The list ends inside the block, but the unresolved goto is examined first.
        {"goto label[3];\nif(1==1){\n", 14, 6, 1},
    });
}

TEST(Parser, StopsAtAStrayClosingBraceWithoutPosition) {
    const test::Compiled compiled = test::compile("var[0]=1;\n}\nanything at all (\n");
    EXPECT_EQ(kCompileFault, compiled.result);
    EXPECT_EQ(fault::kOwnText, compiled.error.code);
    EXPECT_EQ("Лишняя закрывающая скобка ( место положения не известно ).", compiled.error.message);
    EXPECT_EQ("(0 : 0) Лишняя закрывающая скобка ( место положения не известно ).",
              diagnostic_line(compiled.error));

    TokenList tokens = test::tokens_of("}\n");
    CompileError error;
    EXPECT_EQ(kStrayCloseBrace, Parser(error).check_statements(tokens.first()));
    EXPECT_EQ(fault::kNoFault, error.code);
}

TEST(CompileError, GivesTheTextOfEachCode) {
    const struct {
        int code;
        const char* message;
    } cases[] = {
        {-2, "Ошибок не найдено."},
        {0, "Неизвестная лексема."},
        {1, "Данная лексема не может располагаться на этом месте."},
        {5, "Неверное описание переменной. Пример: var[константа]"},
        {12, "Метка не может быть объявлена раньше, чем ссылка goto."},
        {16, "Ожидали оператор else"},
        {18, "Отсутствует }"},
        {19, "Неизвестный код ошибки"},
        {-3, "Неизвестный код ошибки"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        CompileError error;
        record_fault(error, c.code, 3, 4);
        EXPECT_EQ(c.message, compile_error_message(error));
        EXPECT_EQ(std::string("(3 : 4) ") + c.message, diagnostic_line(error));
    }
    CompileError own;
    record_own_fault(own, "свой текст", 0, 0);
    record_fault(own, 2, 1, 1);  // a numbered fault drops the own text
    EXPECT_TRUE(own.message.empty());
    EXPECT_EQ("Неожиданный конец файла.", compile_error_message(own));
}

}  // namespace
}  // namespace vx
