// ProgramPane: line numbers in a margin painted beside the viewport, the
// highlighter, and the error line as an extra selection.
#include "editor/program_pane.h"

#include <QPainter>
#include <QTextBlock>

#include "editor/syntax_highlighter.h"

namespace vx::ui {

namespace {

constexpr int kMarginPadding = 4;
const QColor kErrorLineColour(0xFF, 0xD7, 0xD7);
const QColor kMarginColour(0xF0, 0xF0, 0xF0);
const QColor kLineNumberColour(0x80, 0x80, 0x80);

}  // namespace

class ProgramPane::LineNumberArea final : public QWidget {
public:
    explicit LineNumberArea(ProgramPane* pane) : QWidget(pane), pane_(pane) {
        setObjectName(QStringLiteral("line_numbers"));
    }
    QSize sizeHint() const override { return {pane_->line_number_width(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { pane_->paint_line_numbers(event); }

private:
    ProgramPane* pane_;
};

ProgramPane::ProgramPane(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    line_numbers_ = new LineNumberArea(this);
    highlighter_ = new ProgramHighlighter(document());
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

void ProgramPane::show_selections() {
    QList<QTextEdit::ExtraSelection> selections;
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

int ProgramPane::line_number_width() const {
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10) {
        ++digits;
    }
    digits = std::max(digits, 2);
    return 2 * kMarginPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
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
            painter.setPen(error ? QColor(Qt::black) : kLineNumberColour);
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top = bottom;
    }
}

}  // namespace vx::ui
