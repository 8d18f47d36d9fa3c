// RTF reader: code pages, \u with \uc, destinations, \bin, formats, fonts, malformed input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/codepage.h"
#include "notes/rtf_reader.h"
#include "rtf_test_util.h"

namespace vx::notes {
namespace {

struct TextCase {
    const char* name;
    std::string rtf;
    std::string text;  // document_text of the result
};

void expect_texts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = read_rtf(c.rtf);
        EXPECT_EQ(ReadStatus::ok, result.status) << result.problem;
        EXPECT_EQ(c.text, document_text(result.document));
    }
}

TEST(RtfReader, DecodesHexBytesByDocumentCodePageOrFontCharset) {
    expect_texts({
        {"ansicpg1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})", "Привет"},
        {"ansi is 1252", R"({\rtf1\ansi \'e9t\'e9})", "été"},
        {"no character set at all is 1252", R"({\rtf1 \'e9})", "é"},
        {"charset 204 of the default font beats the document's 1252",
         R"({\rtf1\ansi\deff0{\fonttbl{\f0\fcharset204 Arial;}}\'e4\'ee\'ec})", "дом"},
        {"each font's charset for its own text",
         R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}{\f2\fcharset161 C;}})"
         R"(\f0\'e9\f1\'e9\f2\'e9})",
         "éйι"},
        {"charset 1 (default) leaves the document's code page",
         R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset1 A;}}\f0\'e9})", "й"},
        {"\\cpg of a font beats its charset",
         R"({\rtf1{\fonttbl{\f0\fcharset0\cpg1251 A;}}\f0\'e9})", "й"},
        {"a font the table lacks uses the document's code page",
         R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 A;}}\f7\'e9})", "й"},
        {"\\plain returns to the default font",
         R"({\rtf1\deff1{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}}\f0\'e9\plain\'e9})", "éй"},
        {"double-byte characters across two escapes", R"({\rtf1\ansi\ansicpg932 \'82\'a0\'82\'a2})",
         "あい"},
        {"raw 8-bit bytes", "{\\rtf1\\ansi\\ansicpg1251 \xe4\xee\xec}", "дом"},
        {"KOI8-R", R"({\rtf1\ansi\ansicpg20866 \'c4\'cf\'cd})", "дом"},
        {"the byte 1251 leaves undefined", R"({\rtf1\ansi\ansicpg1251 a\'98b})", "a\uFFFDb"},
        {"the bytes 1252 leaves undefined", R"({\rtf1\ansicpg1252 \'81\'80\'8d})", "\uFFFD€\uFFFD"},
        {"a byte Greek leaves undefined", R"({\rtf1\ansicpg1253 \'aa\'e1})", "\uFFFDα"},
        {"a byte Thai leaves undefined", R"({\rtf1\ansicpg874 \'db\'a1})", "\uFFFDก"},
        {"a double-byte character cut off", R"({\rtf1\ansicpg932 a\'82})", "a\uFFFD"},
        {"a code page nobody knows falls back to 1252", R"({\rtf1\ansicpg99999 \'e9})", "é"},
    });
}

TEST(RtfReader, ReadsUnicodeEscapesAndSkipsTheirFallbacks) {
    expect_texts({
        {"one fallback by default", R"({\rtf1 \u1055?\u1088?})", "Пр"},
        {"fallback written as \\'hh", R"({\rtf1\ansi\ansicpg1251 \u1055\'cfx})", "Пx"},
        {"\\uc2 skips two", R"({\rtf1\uc2\u1055\'cf\'cfz})", "Пz"},
        {"\\uc0 skips nothing", R"({\rtf1\uc0\u1055 x})", "Пx"},
        {"a control word counts as one fallback character", R"({\rtf1\uc1\u1055\emdash x})", "Пx"},
        {"the fallback ends with the group", R"({\rtf1{\uc3\u1055}xy})", "Пxy"},
        {"\\uc belongs to its group", R"({\rtf1{\uc2 a}\u1055?b})", "aПb"},
        {"line ends in the fallback do not count", "{\\rtf1\\u1055\r\n?b}", "Пb"},
        {"negative values are 16-bit", R"({\rtf1\u-255?})", "\uFF01"},
        {"a surrogate pair", R"({\rtf1\u-10179?\u-8704?})", "\U0001F600"},
        {"a lone high surrogate", R"({\rtf1\u-10179?x})", "\uFFFDx"},
        {"a lone low surrogate", R"({\rtf1\u-8704?x})", "\uFFFDx"},
        {"half a pair stays in its group", R"({\rtf1{\fonttbl{\f0 A\u-10179?;}}x})", "x"},
        {"\\u0 and control characters carry no text", R"({\rtf1 a\u0?\u7?b})", "ab"},
        {"in the font table", R"({\rtf1{\fonttbl{\f0 \u1040?rial;}}x})", "x"},
    });
    EXPECT_EQ("Аrial", read_rtf(R"({\rtf1{\fonttbl{\f0 \u1040?rial;}}x})").document.font_name);
}

TEST(RtfReader, SkipsDestinationsThatAreNotText) {
    expect_texts({
        {"tables, info and the usual destinations",
         R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\stylesheet{\s0 Normal;}})"
         R"({\info{\title T}{\author A}}{\*\generator G;}{\header H}{\footer F}{\footnote N})"
         R"({\*\listtable{\list x}}{\*\themedata 0a0b}{\*\latentstyles L}{\*\rsidtbl \rsid1}x})",
         "x"},
        {"any \\* group, even with a word we know", R"({\rtf1 a{\*\unknown zz{\b b}}{\*\par}c})",
         "ac"},
        {"pictures", R"({\rtf1 a{\pict\pngblip 89504e470d0a}{\*\shppict{\pict 00}}b})", "ab"},
        {"field codes but not field results",
         R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})", "link"},
        {"hidden text", R"({\rtf1 a\v hidden\v0 b{\v c}d})", "abd"},
    });
}

TEST(RtfReader, SkipsBinaryData) {
    expect_texts({
        {"braces and backslashes inside", "{\\rtf1 a{\\*\\blob\\bin4 }{\\}}b}", "ab"},
        {"in the text itself", "{\\rtf1 a\\bin3 \\u{b}", "ab"},
        {"as a fallback character", "{\\rtf1 \\u1055\\bin2 ??b}", "Пb"},
        {"without a count", "{\\rtf1 a\\bin b}", "ab"},
    });
    const ReadResult past_end = read_rtf("{\\rtf1 a\\bin999999 xyz}");
    EXPECT_EQ(ReadStatus::damaged, past_end.status);
    EXPECT_EQ("a", document_text(past_end.document));
}

TEST(RtfReader, TurnsBreaksAndSymbolsIntoCharacters) {
    expect_texts({
        {"paragraph, line and tab", R"({\rtf1 a\par b\line c\tab d})", "a\nb\nc\td"},
        {"backslash before a line end is \\par", "{\\rtf1 a\\\nb}", "a\nb"},
        {"raw line ends carry nothing", "{\\rtf1 a\r\nb\nc}", "abc"},
        {"control symbols", R"({\rtf1 a\~b\-c\_d\{\}\\})", "a\u00A0b\u00ADc\u2011d{}\\"},
        {"named characters", R"({\rtf1\lquote\rquote\ldblquote\rdblquote\emdash\endash\bullet})",
         "‘’“”—–•"},
        {"unknown control words", R"({\rtf1 \foo12 a\bar-3 b\zzz c})", "abc"},
        {"the last \\par ends the last line", R"({\rtf1 a\par})", "a"},
        {"an empty last line", R"({\rtf1 a\par\par})", "a\n"},
        {"a section break after a paragraph adds no line", R"({\rtf1 a\par\sect\sectd\pard b\par})",
         "a\nb"},
        {"a section break ends a paragraph", R"({\rtf1 a\sect b})", "a\nb"},
        {"table cells and rows", R"({\rtf1\trowd a\cell b\cell\row c\cell\row})", "a\tb\nc"},
        {"nothing at all", R"({\rtf1})", ""},
    });
    EXPECT_EQ(2u, read_rtf(R"({\rtf1 a\line b\par c})").document.paragraphs.size());
}

TEST(RtfReader, FollowsBoldItalicUnderlineThroughGroups) {
    struct Case {
        const char* rtf;
        const char* runs;
    };
    const Case cases[] = {
        {R"({\rtf1 \b bold\b0  plain})", "[b]bold[] plain\n"},
        {R"({\rtf1 a{\i it}b})", "[]a[i]it[]b\n"},
        {R"({\rtf1 \ul a\ulnone b\ul c\ul0 d\uldb e\plain f})", "[u]a[]b[u]c[]d[u]e[]f\n"},
        {R"({\rtf1 \ul\ulc0 a\ulc1 b})", "[u]ab\n"},
        {R"({\rtf1 \b\i\ul a\pard b\par c\plain d})", "[biu]ab\n[biu]c[]d\n"},
        {R"({\rtf1 {\b a}{\b b}})", "[b]ab\n"},
        {R"({\rtf1 \b1 a\b0 b\i1 c\i0 d})", "[b]a[]b[i]c[]d\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        EXPECT_EQ(c.runs, test::describe(read_rtf(c.rtf).document));
    }
}

TEST(RtfReader, TakesTheFontWhereTheTextBegins) {
    struct Case {
        const char* rtf;
        const char* font;
        double size;
    };
    const Case cases[] = {
        {R"({\rtf1\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}}\f1\fs22 x\f0 y})",
         "Times New Roman", 11},
        {R"({\rtf1\deff1{\fonttbl{\f0 Arial;}{\f1 Courier New;}}\fs17 x})", "Courier New", 8.5},
        {R"({\rtf1{\fonttbl\f0\fswiss Arial;\f1 Courier;}\f1 x})", "Courier", 12},
        {R"({\rtf1{\fonttbl{\f0\fcharset204 \'c0\'f0\'e8\'e0\'eb;}}x})", "Ариал", 12},
        {R"({\rtf1{\fonttbl{\f0 Liberation Sans{\*\falt Arial};}}x})", "Liberation Sans", 12},
        {R"({\rtf1{\fonttbl{\f0  Spaced ;}}x})", "Spaced", 12},
        {R"({\rtf1\f0\fs20\par})", default_font_name, 10},
        {R"({\rtf1{\fonttbl{\f0;}}\fs0\fs99999 x})", default_font_name, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        const Document document = read_rtf(c.rtf).document;
        EXPECT_EQ(c.font, document.font_name);
        EXPECT_EQ(c.size, document.font_size_pt);
    }
}

// The shape rich-text controls on Windows give a notes file: code page 1251
// bytes only, a font entry with its \*\fname, a NUL after the last brace.
TEST(RtfReader, ReadsTheRichEditControlsForm) {
    const std::string notes =
        "Данное поле предназначено для хранения\n"
        "информации о назачении переменных в \n"
        "\n"
        "#var[2] Режим работы: 0 дома, 1 никого нет, 2 отпуск";
    std::string escaped;
    for (const char c : files::utf8_to_cp1251(notes)) {
        static constexpr char hex[] = "0123456789abcdef";
        const auto b = static_cast<unsigned char>(c);
        escaped += c == '\n'  ? std::string("\\par\r\n")
                   : b < 0x80 ? std::string(1, c)
                              : std::string("\\'") + hex[b >> 4] + hex[b & 15];
    }
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss\\fcharset204"
        "{\\*\\fname MS Sans Serif;}MS Sans Serif CYR;}}\r\n"
        "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\f0\\fs16 " +
        escaped + "\\par\r\n}\r\n" + std::string(1, '\0');
    const ReadResult result = read_rtf(rtf);
    EXPECT_EQ(ReadStatus::ok, result.status) << result.problem;
    EXPECT_EQ(notes, document_text(result.document));
    EXPECT_EQ("MS Sans Serif CYR", result.document.font_name);
    EXPECT_EQ(8, result.document.font_size_pt);
}

TEST(RtfReader, ReportsWhatIsNotRtfAndReadsWhatIsBroken) {
    struct Case {
        const char* name;
        std::string input;
        ReadStatus status;
        std::string text;
    };
    const std::string deep =
        "{\\rtf1 a" + std::string(600, '{') + "b" + std::string(600, '}') + "c}";
    const Case cases[] = {
        {"plain text", "#var[0] Текущее время", ReadStatus::not_rtf, ""},
        {"empty", "", ReadStatus::not_rtf, ""},
        {"brace without rtf", "{rtf1 a}", ReadStatus::not_rtf, ""},
        {"cut in the header", "{\\rt", ReadStatus::not_rtf, ""},
        {"with a UTF-8 byte order mark", "\xEF\xBB\xBF{\\rtf1 a}", ReadStatus::ok, "a"},
        {"cut off in the text", "{\\rtf1 abc\\par de", ReadStatus::damaged, "abc\nde"},
        {"cut off in an escape", "{\\rtf1 ab\\'c", ReadStatus::damaged, "abc"},
        {"cut off after a backslash", "{\\rtf1 ab\\", ReadStatus::damaged, "ab"},
        {"cut off in a skipped group", "{\\rtf1 ab{\\*\\x cd", ReadStatus::damaged, "ab"},
        {"text after the end", "{\\rtf1 a}}b}", ReadStatus::damaged, "a"},
        {"blanks and NUL after the end", std::string("{\\rtf1 a}\r\n\0", 12), ReadStatus::ok, "a"},
        {"nested too deep", deep, ReadStatus::damaged, "ac"},
        {"a broken escape", "{\\rtf1 a\\'zzb}", ReadStatus::ok, "azzb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = read_rtf(c.input);
        EXPECT_EQ(c.status, result.status);
        EXPECT_EQ(c.status != ReadStatus::ok, !result.problem.empty());
        if (c.status != ReadStatus::not_rtf) {
            EXPECT_EQ(c.text, document_text(result.document));
        }
    }
}

TEST(RtfReader, SurvivesAMegabyteOfOpenBraces) {
    const ReadResult result = read_rtf("{\\rtf1 x" + std::string(1 << 20, '{'));
    EXPECT_EQ(ReadStatus::damaged, result.status);
    EXPECT_EQ("x", document_text(result.document));
}

}  // namespace
}  // namespace vx::notes
