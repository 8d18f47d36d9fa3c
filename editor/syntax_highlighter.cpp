// The line scanner and the highlighter of the program pane.
#include "editor/syntax_highlighter.h"

#include <QColor>

#include "compiler/token_table.h"

namespace vx::ui {

namespace {

bool is_white_space(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

bool is_single_delimiter(QChar c) {
    return QStringView(u";:[](),+-*/%{}").contains(c);
}

bool is_operator_start(QChar c) {
    return QStringView(u"!=><&|").contains(c);
}

bool is_two_char_operator(QChar first, QChar second) {
    static const QStringView pairs[] = {u"!=", u"==", u">=", u"<=", u"&&", u"||"};
    for (QStringView pair : pairs) {
        if (pair[0] == first && pair[1] == second) {
            return true;
        }
    }
    return false;
}

TokenKind classify(QStringView text) {
    if (text.front().isDigit() && text.front().unicode() < 0x80) {
        return TokenKind::number;
    }
    const QByteArray bytes = text.toUtf8();
    const TokenDef* def =
        find_token_def(token_table(), std::string_view(bytes.data(), bytes.size()));
    if (def == nullptr) {
        return TokenKind::unrecognised;
    }
    switch (def->type) {
        case kPunctuation:
            return TokenKind::punctuation;
        case kOperator:
        case kAssignment:
            return TokenKind::op;
        case kFunctionName:
            return TokenKind::function;
        case kVarKeyword:
        case kIfKeyword:
        case kLabelKeyword:
        case kGotoKeyword:
        case kPassKeyword:
        case kElseKeyword:
            return TokenKind::keyword;
        default:
            return TokenKind::unrecognised;
    }
}

// Splits a line the way the lexer splits a source.
class LineScanner {
public:
    explicit LineScanner(QStringView line) : line_(line) {}

    std::vector<LineToken> scan() {
        const int size = static_cast<int>(line_.size());
        for (int pos = 0; pos < size; ++pos) {
            const QChar c = line_[pos];
            if (c == QLatin1Char('#')) {
                emit_pending(pos);
                tokens_.push_back({pos, size - pos, TokenKind::comment});
                return tokens_;
            }
            if (is_white_space(c)) {
                emit_pending(pos);
                start_ = pos + 1;
            } else if (is_single_delimiter(c)) {
                pos = emit_delimiter(pos, 1);
            } else if (is_operator_start(c)) {
                const bool pair = pos + 1 < size && is_two_char_operator(c, line_[pos + 1]);
                pos = emit_delimiter(pos, pair ? 2 : 1);
            } else if (c == QLatin1Char('$')) {
                pos = scan_dollar(pos);
            }
        }
        emit_pending(size);
        return tokens_;
    }

private:
    void add_token(int start, int length) {
        tokens_.push_back({start, length, classify(line_.mid(start, length))});
    }
    void emit_pending(int pos) {
        if (pos > start_) {
            add_token(start_, pos - start_);
        }
    }
    // Emits what is pending and then a delimiter token; returns its last offset.
    int emit_delimiter(int pos, int length) {
        emit_pending(pos);
        add_token(pos, length);
        start_ = pos + length;
        return pos + length - 1;
    }
    // "$==", "$!=", "$<", "$<=", "$>", "$>="; "$!" and "$=" are tokens of
    // their own the compiler refuses; before any other character "$" is part
    // of a word.
    int scan_dollar(int pos) {
        const int size = static_cast<int>(line_.size());
        if (pos + 1 >= size) {
            return emit_delimiter(pos, 1);
        }
        const QChar next = line_[pos + 1];
        const bool equals_follows = pos + 2 < size && line_[pos + 2] == QLatin1Char('=');
        if (next == QLatin1Char('!') || next == QLatin1Char('=') || next == QLatin1Char('<') ||
            next == QLatin1Char('>')) {
            return emit_delimiter(pos, equals_follows ? 3 : 2);
        }
        return pos;
    }

    QStringView line_;
    int start_ = 0;
    std::vector<LineToken> tokens_;
};

QTextCharFormat colour_format(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) {
        format.setFontWeight(QFont::Bold);
    }
    if (italic) {
        format.setFontItalic(true);
    }
    return format;
}

}  // namespace

std::vector<LineToken> scan_program_line(QStringView line) {
    return LineScanner(line).scan();
}

SyntaxHighlighter::SyntaxHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

QTextCharFormat SyntaxHighlighter::format_of(TokenKind kind) const {
    switch (kind) {
        case TokenKind::keyword:
            return colour_format(QColor(0x00, 0x00, 0xA0), true);
        case TokenKind::function:
            return colour_format(QColor(0x00, 0x6B, 0x75));
        case TokenKind::number:
            return colour_format(QColor(0x9A, 0x20, 0x9A));
        case TokenKind::op:
            return colour_format(QColor(0xA0, 0x40, 0x00));
        case TokenKind::punctuation:
            return {};
        case TokenKind::comment:
            return colour_format(QColor(0x3F, 0x7F, 0x3F), false, true);
        case TokenKind::unrecognised: {
            QTextCharFormat format;
            format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            format.setUnderlineColor(QColor(0xD0, 0x00, 0x00));
            return format;
        }
    }
    return {};
}

void SyntaxHighlighter::highlightBlock(const QString& text) {
    for (const LineToken& token : scan_program_line(text)) {
        if (token.kind != TokenKind::punctuation) {
            setFormat(token.start, token.length, format_of(token.kind));
        }
    }
}

}  // namespace vx::ui
