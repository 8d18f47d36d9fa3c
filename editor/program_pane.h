// The program pane: a plain-text editor with a line-number margin, syntax
// colouring, and the line of the last compile error marked until the next edit.
#pragma once

#include <QPlainTextEdit>

namespace vx::ui {

class ProgramHighlighter;

class ProgramPane final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ProgramPane(QWidget* parent = nullptr);

    // The pane's text with the characters as typed: no-break spaces stay what
    // they are, and every line ends in '\n' except the last.
    QString program_text() const;

    // Marks a line (counted from zero) as the one a compile error points at;
    // the mark goes with the next change of the text.
    void mark_error_line(int line);
    // The marked line, or -1.
    int error_line() const { return error_line_; }

    // The live check's problems (underlines), shown with the error line.
    void set_problem_selections(const QList<QTextEdit::ExtraSelection>& problems);

    int line_number_width() const;
    ProgramHighlighter* highlighter() const { return highlighter_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class LineNumberArea;
    friend class LineNumberArea;

    void paint_line_numbers(QPaintEvent* event);
    void update_margin();
    void update_line_numbers(const QRect& rect, int dy);
    void show_error_line();
    void clear_error_line();
    void show_selections();

    LineNumberArea* line_numbers_ = nullptr;
    ProgramHighlighter* highlighter_ = nullptr;
    int error_line_ = -1;
    QList<QTextEdit::ExtraSelection> problems_;
};

}  // namespace vx::ui
