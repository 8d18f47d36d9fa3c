// If/else lowering and the chain listing: generated gotos and labels, listing text.
#include <gtest/gtest.h>

#include "compiler/chain_listing.h"
#include "compiler/lowering.h"
#include "compiler/token_table.h"
#include "compiler_test_support.h"

namespace vx {
namespace {

std::string listing_of(const std::string& source) {
    const test::Compiled compiled = test::compile(source);
    EXPECT_TRUE(compiled.program.lowered) << diagnostic_line(compiled.error);
    return compiled.program.listing;
}

// The lowering as a compile runs it: from the first token on, then its end.
int lower(TokenList& tokens, CompileError& error, uint16_t first_label = kFirstGeneratedLabel) {
    IfElseLowering lowering(tokens, error, first_label);
    return lowering.lower_from(tokens.first()) != kPassed ? kPassFailed : lowering.finish();
}

TEST(ChainListing, WritesTheLoweredIfAsStatements) {
    EXPECT_EQ(
        "if(var[1]==5)goto label[1000];\n"
        "goto label[1001];\n"
        "label[1000]:\n"
        "var[2]=1;\n"
        "label[1001]:\n"
        "var[3]=0;",
        listing_of("if (var[1]==5) { var[2]=1; };\nvar[3]=0;\n"));
}

TEST(ChainListing, LowersElseEmptyBlocksAndATrailingIf) {
    const struct {
        const char* source;
        const char* listing;
    } cases[] = {
        {"if (var[0]<1) { var[1]=1; } else { var[1]=2; };",
         "if(var[0]<1)goto label[1000];\ngoto label[1001];\nlabel[1000]:\nvar[1]=1;\n"
         "goto label[1002];\nlabel[1001]:\nvar[1]=2;\nlabel[1002]:"},
        {"if (var[0]==0) { };\n",
         "if(var[0]==0)goto label[1000];\ngoto label[1001];\nlabel[1000]:\nlabel[1001]:"},
        {"if (1$>=var[2]) { } else { };\n",
         "if(1$>=var[2])goto label[1000];\ngoto label[1001];\nlabel[1000]:\ngoto label[1002];\n"
         "label[1001]:\nlabel[1002]:"},
        // A source label keeps its own `:` and its line; the first token gets no blank.
        {"label[5]:var[0]=1;", "label[5]:var[0]=1;"},
        {"goto label[5]; label[5]:", "gotolabel[5];\nlabel[5]:"},
        {"var[0]=StartTimer(1,var[2]);", "var[0]=StartTimer(1,var[2]);"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(c.listing, listing_of(c.source));
    }
}

TEST(ChainListing, NumbersLabelsInTheOrderTheIfsAreMet) {
    EXPECT_EQ(
        "if(1==1)goto label[1000];\ngoto label[1001];\nlabel[1000]:\nlabel[1001]:\n"
        "if(2==2)goto label[1003];\ngoto label[1004];\nlabel[1003]:\nlabel[1004]:\n"
        "if(3==3)goto label[1006];\ngoto label[1007];\nlabel[1006]:\ngoto label[1008];\n"
        "label[1007]:\nlabel[1008]:",
        listing_of("if(1==1){};\nif(2==2){};\nif(3==3){}else{};\n"));
    // Outer before inner: the outer if takes 1000 to 1002, the inner 1003 to 1005.
    EXPECT_EQ(
        "if(1==1)goto label[1000];\ngoto label[1001];\nlabel[1000]:\n"
        "if(2==2)goto label[1003];\ngoto label[1004];\nlabel[1003]:\nvar[0]=1;\n"
        "goto label[1005];\nlabel[1004]:\nvar[0]=2;\nlabel[1005]:\n"
        "goto label[1002];\nlabel[1001]:\nlabel[1002]:",
        listing_of("if(1==1){ if(2==2){var[0]=1;}else{var[0]=2;}; }else{};"));
}

TEST(ChainListing, IsEmptyForAnEmptyTokenList) {
    EXPECT_EQ("", ChainListingWriter().text());
    const test::Compiled compiled = test::compile("# nothing but a comment\n\n");
    EXPECT_TRUE(compiled.program.lowered);
    EXPECT_EQ("", compiled.program.listing);
    EXPECT_EQ(kEmptyProgram, compiled.result);
}

TEST(IfElseLowering, GivesGeneratedTokensThePositionOfTheirAnchor) {
    TokenList tokens = test::tokens_of("if (1==1)\n  { var[0]=1; };\n");
    CompileError error;
    ASSERT_EQ(0, lower(tokens, error));
    // `if ( 1 == 1 )` then `goto label [ N ] ;` inserted after the `)` at 9:1.
    const Token* t = tokens.first();
    for (int i = 0; i < 6; ++i) {
        t = t->next;
    }
    EXPECT_EQ("goto", t->text);
    EXPECT_EQ(9, t->column);
    EXPECT_EQ(1, t->line);
    // The closing label follows the `;` at 13:2.
    EXPECT_EQ(":", tokens.last()->text);
    EXPECT_EQ(kLabelKeyword, tokens.last()->type);
    EXPECT_EQ(13, tokens.last()->column);
    EXPECT_EQ(2, tokens.last()->line);
}

TEST(IfElseLowering, FailsWhenGeneratedLabelNumbersRunOut) {
    const std::string source = "if(1==1){};\nif(2==2){};\n  if(3==3){};\n";
    // 65530..65532 and 65533..65535 fit; the third if would wrap to 0.
    TokenList tokens = test::tokens_of(source);
    CompileError error;
    EXPECT_NE(0, lower(tokens, error, 65530));
    EXPECT_EQ(fault::kOwnText, error.code);
    EXPECT_EQ(kTooManyIfText, error.message);
    EXPECT_EQ(3, error.column);
    EXPECT_EQ(3, error.line);

    tokens = test::tokens_of("if(1==1){};\nif(2==2){}else{};\n");
    CompileError fits;
    EXPECT_EQ(0, lower(tokens, fits, 65530));
    ChainListingWriter listing;
    listing.add(tokens.first());
    EXPECT_NE(std::string::npos, listing.text().find("label[65535]:"));
}

// Only a list the parser refused can reach these faults.
TEST(IfElseLowering, GuardsTheShapeOfAnUncheckedList) {
    const struct {
        const char* source;
        int code;
        int column;
    } cases[] = {
        {"if (1==1) var[0]=1;\n", fault::kMisplacedToken, 11},
        {"if (1==1 ", fault::kUnexpectedEnd, 8},
        {"if (1==1) { var[0]=1; }", fault::kUnexpectedEnd, 21},
        {"if (1==1) { } else var[0]=1;\n", fault::kMisplacedToken, 20},
        {"if (1==1) { var[0]=1;\n", fault::kMissingBrace, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TokenList tokens = test::tokens_of(c.source);
        CompileError error;
        EXPECT_NE(0, lower(tokens, error));
        EXPECT_EQ(c.code, error.code);
        EXPECT_EQ(c.column, error.column);
        EXPECT_EQ(1, error.line);
    }
}

TEST(IfElseLowering, StopsAtTheIfThatWouldWrapInAWholeCompile) {
    // 21512 ifs take labels 1000 to 65535; the 21513th is refused where it stands.
    const test::Compiled compiled = test::compile(test::repeat("if(var[0]==1){};\n", 21513));
    EXPECT_EQ(kCompileFault, compiled.result);
    EXPECT_EQ(fault::kOwnText, compiled.error.code);
    EXPECT_EQ(kTooManyIfText, compiled.error.message);
    EXPECT_EQ(1, compiled.error.column);
    EXPECT_EQ(21513, compiled.error.line);
}

TEST(IfElseLowering, HandlesDeepNestingWithoutRecursion) {
    const int depth = 20000;
    const std::string source =
        test::repeat("if(var[0]==1){\n", depth) + "var[1]=2;\n" + test::repeat("};\n", depth);
    const test::Compiled compiled = test::compile(source);
    // Checked and lowered in full; it is the 16-bit jump targets that don't fit.
    EXPECT_TRUE(compiled.program.lowered);
    EXPECT_EQ(kJumpTooFarText, compiled.error.message);
}

}  // namespace
}  // namespace vx
