// ProgramPane: line numbers in a margin painted beside the viewport, the
// highlighter, and the error line as an extra selection.
#include "editor/program_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

#include "editor/syntax_highlighter.h"

namespace vx::ui {

namespace {

constexpr int kMarginPadding = 4;
const QColor kErrorLineColour(0xFF, 0xD7, 0xD7);
const QColor kMarginColour(0xF0, 0xF0, 0xF0);
const QColor kLineNumberColour(0x80, 0x80, 0x80);
const QColor kCurrentLineColour(0xFF, 0xF0, 0x96);
const QColor kBreakpointColour(0xD0, 0x20, 0x20);
const QColor kLineValuesColour(0x30, 0x60, 0xA0);

}  // namespace

class ProgramPane::LineNumberArea final : public QWidget {
public:
    explicit LineNumberArea(ProgramPane* pane) : QWidget(pane), pane_(pane) {
        setObjectName(QStringLiteral("line_numbers"));
    }
    QSize sizeHint() const override { return {pane_->line_number_width(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { pane_->paint_line_numbers(event); }
    void mousePressEvent(QMouseEvent* event) override {
        const int line = pane_->line_at(event->position().toPoint().y());
        if (line < 0) {
            return;
        }
        if (event->button() == Qt::LeftButton) {
            emit pane_->margin_clicked(line);
        } else if (event->button() == Qt::RightButton) {
            emit pane_->margin_menu_requested(line, event->globalPosition().toPoint());
        }
    }

private:
    ProgramPane* pane_;
};

ProgramPane::ProgramPane(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    line_numbers_ = new LineNumberArea(this);
    highlighter_ = new SyntaxHighlighter(document());
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { update_margin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ProgramPane::update_line_numbers);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int, int) {
        if (error_line_ >= 0) {
            clear_error_line();
        }
    });
    update_margin();
}

QString ProgramPane::program_text() const {
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void ProgramPane::mark_error_line(int line) {
    error_line_ = line;
    show_error_line();
}

void ProgramPane::show_error_line() {
    show_selections();
    line_numbers_->update();
}

void ProgramPane::set_problem_selections(const QList<QTextEdit::ExtraSelection>& problems) {
    problems_ = problems;
    show_selections();
}

void ProgramPane::set_breakpoint_lines(const QSet<int>& lines) {
    breakpoints_ = lines;
    line_numbers_->update();
}

void ProgramPane::set_current_line(int line, const QString& values) {
    current_line_ = line;
    current_values_ = line >= 0 ? values : QString();
    show_selections();
    const QTextBlock block = document()->findBlockByNumber(line);
    if (line >= 0 && block.isValid()) {
        // The view follows the statement; the caret stays where the user left it.
        const QTextCursor caret = textCursor();
        setTextCursor(QTextCursor(block));
        ensureCursorVisible();
        setTextCursor(caret);
    }
    line_numbers_->update();
    viewport()->update();
}

int ProgramPane::line_at(int y) const {
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (y >= top && y < bottom) {
            return block.blockNumber();
        }
        block = block.next();
        top = bottom;
    }
    return -1;
}

void ProgramPane::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    const QTextBlock block = document()->findBlockByNumber(current_line_);
    if (current_values_.isEmpty() || !block.isValid() || !block.isVisible()) {
        return;
    }
    // The values of the current line, after its end.
    const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
    const int left = qRound(box.left()) + fontMetrics().horizontalAdvance(block.text()) +
                     3 * fontMetrics().horizontalAdvance(QLatin1Char(' ')) +
                     static_cast<int>(document()->documentMargin());
    QPainter painter(viewport());
    QFont font = this->font();
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(kLineValuesColour);
    painter.drawText(left, qRound(box.top()), viewport()->width(), qRound(box.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, current_values_);
}

void ProgramPane::show_selections() {
    QList<QTextEdit::ExtraSelection> selections;
    const QTextBlock current = document()->findBlockByNumber(current_line_);
    if (current_line_ >= 0 && current.isValid()) {
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(kCurrentLineColour);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(current);
        selections << selection;
    }
    const QTextBlock block = document()->findBlockByNumber(error_line_);
    if (error_line_ >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(kErrorLineColour);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(block);
        selections << selection;
    }
    setExtraSelections(selections + problems_);
}

void ProgramPane::clear_error_line() {
    error_line_ = -1;
    show_selections();
    line_numbers_->update();
}

int ProgramPane::breakpoint_dot_size() const {
    return std::max(6, fontMetrics().height() * 2 / 3);
}

int ProgramPane::line_number_width() const {
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10) {
        ++digits;
    }
    digits = std::max(digits, 2);
    // Room for the digits and, left of them, a breakpoint's dot.
    return 3 * kMarginPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits +
           breakpoint_dot_size();
}

void ProgramPane::update_margin() {
    setViewportMargins(line_number_width(), 0, 0, 0);
}

void ProgramPane::update_line_numbers(const QRect& rect, int dy) {
    if (dy != 0) {
        line_numbers_->scroll(0, dy);
    } else {
        line_numbers_->update(0, rect.y(), line_numbers_->width(), rect.height());
    }
    if (rect.contains(viewport()->rect())) {
        update_margin();
    }
}

void ProgramPane::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    line_numbers_->setGeometry(area.left(), area.top(), line_number_width(), viewport()->height());
}

void ProgramPane::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        update_margin();
        const QRect area = contentsRect();
        line_numbers_->setGeometry(area.left(), area.top(), line_number_width(),
                                   viewport()->height());
    }
}

void ProgramPane::paint_line_numbers(QPaintEvent* event) {
    QPainter painter(line_numbers_);
    painter.fillRect(event->rect(), kMarginColour);
    painter.setFont(font());
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int width = line_numbers_->width() - kMarginPadding;
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= event->rect().top()) {
            const bool error = block.blockNumber() == error_line_;
            if (error) {
                painter.fillRect(0, top, line_numbers_->width(), bottom - top, kErrorLineColour);
            }
            if (block.blockNumber() == current_line_) {
                painter.fillRect(0, top, line_numbers_->width(), bottom - top, kCurrentLineColour);
            }
            painter.setPen(error ? QColor(Qt::black) : kLineNumberColour);
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
            if (breakpoints_.contains(block.blockNumber())) {
                const int size = breakpoint_dot_size();
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(Qt::NoPen);
                painter.setBrush(kBreakpointColour);
                painter.drawEllipse(kMarginPadding, top + (bottom - top - size) / 2, size, size);
                painter.setBrush(Qt::NoBrush);
            }
        }
        block = block.next();
        top = bottom;
    }
}

}  // namespace vx::ui
