// The program pane's editing aids as plain functions on a text cursor: the
// caret position display, the two-space Tab and Backspace steps, forward find.
#pragma once

#include <QString>

class QTextCursor;

namespace vx::ui {

// Line and column of the caret, both counted from zero. The caret is the end
// of the selection; a line is a text line (the pane does not wrap).
struct CaretPosition {
    int line = 0;
    int column = 0;
    bool operator==(const CaretPosition&) const = default;
};

CaretPosition caret_position(const QTextCursor& cursor);

// "Поз. " column + 1 " : " line + 1: the column first, as in compile messages.
QString position_text(CaretPosition position);

// Tab: two spaces at the caret (a selection's end); a selected text stays as
// it was and the caret ends after the spaces. One undo step.
void tab_step(QTextCursor& cursor);

// Backspace after two spaces: removes both and returns true. Returns false,
// changing nothing, when something is selected, the caret column is below 2
// or the two characters before the caret are not both spaces; the Backspace
// is then the pane's own.
bool backspace_step(QTextCursor& cursor);

// Where a search starts: after the selection when there is one, else at the caret.
int find_start(const QTextCursor& cursor);

// Offset of the first occurrence of needle in text at or after from, matching
// case exactly; -1 when there is none (or the needle is empty).
int find_forward(const QString& text, const QString& needle, int from);

// Moves the caret to a line and column counted from zero, as far as the text
// reaches: a line past the end goes to the last line, a column past the end
// of its line to the line's end.
void move_caret(QTextCursor& cursor, int line, int column);

}  // namespace vx::ui
