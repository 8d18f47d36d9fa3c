// RTF writer: the exact bytes of the header and escapes, and round trips through the reader.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "notes/rtf_reader.h"
#include "notes/rtf_writer.h"
#include "rtf_test_util.h"

namespace vx::notes {
namespace {

Document formatted(std::vector<std::vector<Run>> paragraphs, std::string font = "Arial",
                   double size = 10) {
    Document document;
    document.font_name = std::move(font);
    document.font_size_pt = size;
    document.paragraphs.clear();
    for (const auto& runs : paragraphs) {
        Paragraph& p = document.paragraphs.emplace_back();
        for (const Run& run : runs) {
            p.append(run.text, run.format);
        }
    }
    return document;
}

TEST(RtfWriter, WritesCodePage1251HeaderFontAndParagraphs) {
    const std::string expected =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
        "{\\fonttbl{\\f0\\fnil\\fcharset204 MS Sans Serif;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs16 #var[0] \\'d2\\'e5\\'ea\\'f3\\'f9\\'e5\\'e5 "
        "\\'e2\\'f0\\'e5\\'ec\\'ff\\par\r\n"
        "\\par\r\n"
        "x\\par\r\n"
        "}\r\n";
    EXPECT_EQ(expected, write_rtf(document_from_text("#var[0] Текущее время\n\nx")));
}

TEST(RtfWriter, EscapesEachKindOfCharacter) {
    struct Case {
        std::string text;
        std::string written;  // what stands between "\fs16 " and "\par"
    };
    const Case cases[] = {
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"№ € « ё", "\\'b9 \\'88 \\'ab \\'b8"},
        {"≥Ω", "\\u8805?\\u937?"},
        {"！", "\\u-255?"},                     // past U+7FFF: negative, as 16-bit RTF numbers are
        {"\U0001F600", "\\u-10179?\\u-8704?"},  // a surrogate pair
        {"a\tb", "a\\tab b"},
        {"a\u2028b", "a\\line b"},
        {std::string("a\x01\x7f\xc2\x85"
                     "b",
                     6),
         "ab"},              // control characters leave no trace
        {"\xff", "\\u-3?"},  // broken UTF-8 becomes U+FFFD
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string rtf = write_rtf(document_from_text(c.text));
        const std::size_t start = rtf.find("\\fs16") + 5;
        const std::string body = rtf.substr(start, rtf.find("\\par", start) - start);
        EXPECT_EQ(c.written, body.starts_with(" ") ? body.substr(1) : body);
    }
}

TEST(RtfWriter, SwitchesFormatsOnlyWhereTheyChange) {
    const Document document = formatted({
        {{"a", {}}, {"b", {.bold = true}}, {"c", {.bold = true, .italic = true}}},
        {{"d", {.bold = true, .italic = true}}, {"e", {.underline = true}}},
    });
    const std::string rtf = write_rtf(document);
    EXPECT_NE(std::string::npos, rtf.find("a\\b b\\i c\\par\r\nd\\b0\\i0\\ul e\\par")) << rtf;
}

TEST(RtfWriter, CleansFontNamesAndSizes) {
    struct Case {
        std::string font;
        double size;
        const char* font_entry;
        const char* size_word;
    };
    const Case cases[] = {
        {"Times New Roman", 8.5, "\\fcharset204 Times New Roman;", "\\fs17"},
        {"Шрифт", 12, "\\fcharset204 \\'d8\\'f0\\'e8\\'f4\\'f2;", "\\fs24"},
        {" Semi;colon ", 0, "\\fcharset204 Semicolon;", "\\fs16"},
        {"{Odd}\\", 5000, "\\fcharset204 \\{Odd\\}\\\\;", "\\fs3276"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        const std::string rtf = write_rtf(document_from_text("x", c.font, c.size));
        EXPECT_NE(std::string::npos, rtf.find(c.font_entry)) << rtf;
        EXPECT_NE(std::string::npos, rtf.find(c.size_word)) << rtf;
    }
}

TEST(RtfWriter, RoundTripsThroughTheReader) {
    const Document documents[] = {
        document_from_text("#var[0] Текущее время\n#var[1] 1 Ночь, 2 День\n"),
        document_from_text(""),
        document_from_text("\n\n"),
        document_from_text("Ω ≥ € № \U0001F600 \\{}; \ttab\u2028line ё Ё", "Шрифт Кириллица", 13.5),
        formatted({{{"#var[0] ", {}}, {"Текущее", {.bold = true}}, {" время", {.italic = true}}},
                   {},
                   {{"≥ 18", {.bold = true, .underline = true}}, {"Ω", {}}}},
                  "Liberation Sans", 72),
        // What the reader loads is saved again: a ';' or a tab that reaches a
        // font name as \uN, which the font table cannot hold, is left out on reading.
        read_rtf(R"({\rtf1\ansicpg1251{\fonttbl{\f0\fcharset204 \'ed\'e8\u059\'d3\u9?\'f1 ;}}x})")
            .document,
    };
    for (const Document& document : documents) {
        SCOPED_TRACE(test::describe(document));
        const std::string rtf = write_rtf(document);
        const ReadResult back = read_rtf(rtf);
        EXPECT_EQ(ReadStatus::ok, back.status) << back.problem;
        EXPECT_EQ(document, back.document) << test::describe(back.document) << rtf;
    }
}

// Documents built at random from characters that are hard for the writer: RTF
// specials, code page 1251 letters, characters outside it, breaks and tabs.
TEST(RtfWriter, RoundTripsRandomDocuments) {
    const std::vector<std::string> pieces = {
        "a", "Z",      "0",      " ", "  ", "-",  ";",          "?",     "\\", "{",
        "}", "\t",     "\u2028", "д", "Ж",  "ё",  "№",          "€",     "«",  "»",
        "—", "\u00a0", "\u00ad", "≥", "Ω",  "中", "\U0001F600", "\uFFFD"};
    std::mt19937 random(20240611);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    for (int round = 0; round < 300; ++round) {
        Document document;
        document.paragraphs.clear();
        document.font_name = pick(2) ? "Arial" : "Шрифт №" + std::to_string(round);
        document.font_size_pt = 1 + pick(200) / 2.0;
        for (int p = pick(6) + 1; p > 0; --p) {
            Paragraph& paragraph = document.paragraphs.emplace_back();
            for (int r = pick(5); r > 0; --r) {
                std::string text;
                for (int c = pick(6) + 1; c > 0; --c) {
                    text += pieces[pick(static_cast<int>(pieces.size()))];
                }
                paragraph.append(text, {pick(2) == 1, pick(2) == 1, pick(2) == 1});
            }
        }
        const std::string rtf = write_rtf(document);
        SCOPED_TRACE(rtf);
        for (const char c : rtf) {
            ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
        }
        const ReadResult back = read_rtf(rtf);
        ASSERT_EQ(ReadStatus::ok, back.status);
        ASSERT_EQ(document, back.document) << test::describe(back.document);
    }
}

}  // namespace
}  // namespace vx::notes
