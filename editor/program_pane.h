// The program pane: a plain-text editor with a line-number margin, syntax
// colouring, and the line of the last compile error marked until the next edit.
#pragma once

#include <QPlainTextEdit>
#include <QSet>

namespace vx::ui {

class SyntaxHighlighter;

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

    // Debugging: lines (from zero) with a breakpoint get a red dot in the margin; the
    // statement that runs next is highlighted and kept in view (-1: none), with the
    // values of its line written after its end.
    void set_breakpoint_lines(const QSet<int>& lines);
    const QSet<int>& breakpoint_lines() const { return breakpoints_; }
    void set_current_line(int line, const QString& values = QString());
    int current_line() const { return current_line_; }
    QString current_line_values() const { return current_values_; }

    int line_number_width() const;
    int breakpoint_dot_size() const;

    SyntaxHighlighter* highlighter() const { return highlighter_; }

signals:
    // A click in the margin beside a line (from zero); a right-click asks for its
    // breakpoint's details.
    void margin_clicked(int line);
    void margin_menu_requested(int line, const QPoint& global);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class LineNumberArea;
    friend class LineNumberArea;

    void paint_line_numbers(QPaintEvent* event);
    void paintEvent(QPaintEvent* event) override;
    int line_at(int y) const;
    void update_margin();
    void update_line_numbers(const QRect& rect, int dy);
    void show_error_line();
    void clear_error_line();
    void show_selections();

    LineNumberArea* line_numbers_ = nullptr;
    SyntaxHighlighter* highlighter_ = nullptr;
    int error_line_ = -1;
    QList<QTextEdit::ExtraSelection> problems_;
    QSet<int> breakpoints_;
    int current_line_ = -1;
    QString current_values_;
};

}  // namespace vx::ui
