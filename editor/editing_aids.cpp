// The program pane's editing aids on a QTextCursor.
#include "editor/editing_aids.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vx::ui {

namespace {

const QChar kSpace = QLatin1Char(' ');

}  // namespace

CaretPosition caret_position(const QTextCursor& cursor) {
    const int end = cursor.selectionEnd();
    const QTextBlock block = cursor.document()->findBlock(end);
    return {block.blockNumber(), end - block.position()};
}

QString position_text(CaretPosition position) {
    return QStringLiteral("Поз. %1 : %2").arg(position.column + 1).arg(position.line + 1);
}

void tab_step(QTextCursor& cursor) {
    // Both spaces go at the caret, the selection's end; the selected text
    // itself stays as it was.
    cursor.setPosition(cursor.selectionEnd());
    cursor.insertText(QString(2, kSpace));
}

bool backspace_step(QTextCursor& cursor) {
    if (cursor.hasSelection()) {
        return false;
    }
    const QTextBlock block = cursor.block();
    const int column = cursor.position() - block.position();
    if (column < 2) {
        return false;
    }
    const QString line = block.text();
    if (line.at(column - 1) != kSpace || line.at(column - 2) != kSpace) {
        return false;
    }
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 2);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    return true;
}

int find_start(const QTextCursor& cursor) {
    // The selection's end, or the caret itself when nothing is selected.
    return cursor.selectionEnd();
}

int find_forward(const QString& text, const QString& needle, int from) {
    if (needle.isEmpty() || from < 0 || from > text.size()) {
        return -1;
    }
    return static_cast<int>(text.indexOf(needle, from, Qt::CaseSensitive));
}

void move_caret(QTextCursor& cursor, int line, int column) {
    const QTextDocument* document = cursor.document();
    const int last_line = document->blockCount() - 1;
    const QTextBlock block = document->findBlockByNumber(std::clamp(line, 0, last_line));
    const int offset = std::clamp(column, 0, std::max(0, block.length() - 1));
    cursor.setPosition(block.position() + offset);
}

}  // namespace vx::ui
