// The editor's parts without the window: program file bytes, the highlighter's
// line scanner, and the notes pane's conversion to the notes file's model.
#include <gtest/gtest.h>

#include <QTextDocument>

#include "editor/notes_document.h"
#include "editor/program_file.h"
#include "editor/syntax_highlighter.h"
#include "files/codepage.h"
#include "support/ui/gui_test.h"

namespace vx::ui {
namespace {

QByteArray cp1251(const char* utf8) {
    return QByteArray::fromStdString(files::utf8_to_cp1251(utf8));
}

TEST(ProgramFile, EveryLineEndsInCrLfInCodePage1251) {
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QString(), QByteArray()},
        {QStringLiteral("var[0]=5;"), "var[0]=5;\r\n"},
        {QStringLiteral("a\nb"), "a\r\nb\r\n"},
        {QStringLiteral("a\n"), "a\r\n\r\n"},
        {QStringLiteral("# Ночь\nvar[1]=1;"), cp1251("# Ночь\r\nvar[1]=1;\r\n")},
        {QStringLiteral("# ≥ 5"), "# ? 5\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(row.bytes, program_file_bytes(row.text));
        // What is written reads back as the same text.
        if (!row.text.contains(QChar(0x2265))) {
            EXPECT_EQ(row.text, program_file_text(row.bytes));
        }
    }
}

TEST(ProgramFile, ReadsLineEndsOfAnyKind) {
    EXPECT_EQ(QStringLiteral("a\nb\nc\nd"), program_file_text("a\r\nb\nc\rd\r\n"));
    EXPECT_EQ(QStringLiteral("a\n"), program_file_text("a\n\n"));
    EXPECT_EQ(QStringLiteral("# Ночь"), program_file_text(cp1251("# Ночь")));
}

TEST(ProgramFile, FindsTheFirstCharacterCodePage1251Lacks) {
    EXPECT_EQ(0, first_unencodable_line(QStringLiteral("var[0]=1; # Ночь, «ёлка» №5")));
    EXPECT_EQ(2, first_unencodable_line(QStringLiteral("a\n# ≥\n# ∑")));
    EXPECT_EQ(3, first_unencodable_line(QStringLiteral("\n\n# \U0001F600")));
}

using K = TokenKind;

TEST(LineScanner, SplitsAndClassifiesAsTheCompilerDoes) {
    const struct {
        const char16_t* line;
        std::vector<LineToken> tokens;
    } cases[] = {
        {u"var[0]=GetTime(); # now",
         {{0, 3, K::keyword},
          {3, 1, K::punctuation},
          {4, 1, K::number},
          {5, 1, K::punctuation},
          {6, 1, K::op},
          {7, 7, K::function},
          {14, 1, K::punctuation},
          {15, 1, K::punctuation},
          {16, 1, K::punctuation},
          {18, 5, K::comment}}},
        {u"a>=b", {{0, 1, K::unrecognised}, {1, 2, K::op}, {3, 1, K::unrecognised}}},
        {u"=>", {{0, 1, K::op}, {1, 1, K::op}}},
        {u"a&b", {{0, 1, K::unrecognised}, {1, 1, K::unrecognised}, {2, 1, K::unrecognised}}},
        {u"$==$<$abc", {{0, 3, K::op}, {3, 2, K::op}, {5, 4, K::unrecognised}}},
        {u"$=5$", {{0, 2, K::unrecognised}, {2, 1, K::number}, {3, 1, K::unrecognised}}},
        {u"12ab gettime GetTime",
         {{0, 4, K::number}, {5, 7, K::unrecognised}, {13, 7, K::function}}},
        {u"if else label goto pass",
         {{0, 2, K::keyword},
          {3, 4, K::keyword},
          {8, 5, K::keyword},
          {14, 4, K::keyword},
          {19, 4, K::keyword}}},
        {u"ab#c", {{0, 2, K::unrecognised}, {2, 2, K::comment}}},
        {u"\tx  %{}",
         {{1, 1, K::unrecognised}, {4, 1, K::op}, {5, 1, K::punctuation}, {6, 1, K::punctuation}}},
        {u"Ночь", {{0, 4, K::unrecognised}}},
        {u"", {}},
    };
    for (const auto& row : cases) {
        const QString line = QString::fromUtf16(row.line);
        SCOPED_TRACE(line.toStdString());
        EXPECT_EQ(row.tokens, scan_program_line(line));
    }
}

class NotesDocument : public ::testing::Test {
protected:
    void SetUp() override { test::gui_app(); }
};

TEST_F(NotesDocument, RoundTripsParagraphsBreaksTabsAndStyles) {
    notes::Document document;
    document.font_name = "DejaVu Serif";
    document.font_size_pt = 11;
    document.paragraphs.clear();
    notes::Paragraph first;
    first.append("#var[0] ", {});
    first.append("Текущее", {.bold = true});
    first.append(" время", {.italic = true, .underline = true});
    notes::Paragraph second;
    second.append("a\tb", {});
    second.append(notes::line_break, {});
    second.append("c", {.bold = true, .italic = true});
    document.paragraphs = {first, notes::Paragraph{}, second};

    QTextDocument notes;
    document_to_notes(document, notes);
    EXPECT_EQ(QStringLiteral("#var[0] Текущее время\n\na\tb\u2028c"),
              notes.toRawText().replace(QChar::ParagraphSeparator, u'\n'));
    EXPECT_EQ(document, notes_to_document(notes, QStringLiteral("DejaVu Serif"), 11));
}

TEST_F(NotesDocument, LeavesOutPicturesAndControlCharacters) {
    QTextDocument notes;
    notes.setHtml(QStringLiteral("<p>до<img src=\"x.png\">после\x01</p>"));
    const notes::Document document = notes_to_document(notes, QStringLiteral("Arial"), 8);
    ASSERT_EQ(1u, document.paragraphs.size());
    EXPECT_EQ("допосле", document.paragraphs[0].text());
    EXPECT_EQ("Arial", document.font_name);
}

TEST_F(NotesDocument, AnEmptyPaneIsOneEmptyParagraph) {
    QTextDocument notes;
    const notes::Document document = notes_to_document(notes, QStringLiteral("Arial"), 8);
    EXPECT_EQ(1u, document.paragraphs.size());
    EXPECT_TRUE(document.paragraphs[0].empty());
}

}  // namespace
}  // namespace vx::ui
