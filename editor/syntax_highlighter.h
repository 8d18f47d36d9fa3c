// Syntax colouring of the program pane: the lexer's token rules over one
// line, classified by the compiler's token table.
#pragma once

#include <vector>

#include <QStringView>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QTextDocument;

namespace vx::ui {

enum class TokenKind {
    keyword,       // var if else label goto pass
    function,      // a built-in function of the token table
    number,        // starts with a digit
    op,            // operators and the assignment
    punctuation,   // [ ] , ( ) ; : { }
    comment,       // from # to the end of the line
    unrecognised,  // anything else: the compiler will refuse it
};

struct LineToken {
    int start = 0;
    int length = 0;
    TokenKind kind = TokenKind::unrecognised;
    bool operator==(const LineToken&) const = default;
};

// The tokens of one source line, split as the compiler's lexer splits them
// (white space, one-byte delimiters, two-byte operators, "$" comparisons,
// "#" comments). Unlike the lexer, a token at the very end of the line counts.
std::vector<LineToken> scan_program_line(QStringView line);

class SyntaxHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SyntaxHighlighter(QTextDocument* document);

    // The colouring of a kind (tests and the screenshot check them).
    QTextCharFormat format_of(TokenKind kind) const;

protected:
    void highlightBlock(const QString& text) override;
};

}  // namespace vx::ui
