// LanguageAssist: the language library's answers shown in the program pane.
#include "editor/language_assist.h"

#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>

#include "editor/program_pane.h"

namespace vx::ui {

namespace {

constexpr int kListRows = 8;
const QColor kProblemColour(0xE0, 0x00, 0x00);

QString from_utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// A typed character after which the list opens: a letter, or the `[` of `var[`.
bool opens_list(const QString& typed) {
    return typed.size() == 1 && (typed[0].isLetter() || typed[0] == QLatin1Char('['));
}

bool continues_word(const QString& typed) {
    return typed.size() == 1 && (typed[0].isLetterOrNumber() || typed[0] == QLatin1Char('_'));
}

}  // namespace

LanguageAssist::LanguageAssist(ProgramPane& pane, QTextEdit& notes, QObject* parent)
    : QObject(parent), pane_(pane), notes_(notes) {
    check_timer_ = new QTimer(this);
    check_timer_->setSingleShot(true);
    check_timer_->setInterval(kCheckDelayMs);
    connect(check_timer_, &QTimer::timeout, this, &LanguageAssist::check_now);

    list_ = new QListWidget(pane.viewport());
    list_->setObjectName(QStringLiteral("completion_list"));
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->hide();
    connect(list_, &QListWidget::itemClicked, this, [this] { accept_completion(); });

    hint_ = new QLabel(pane.viewport());
    hint_->setObjectName(QStringLiteral("signature_hint"));
    hint_->setTextFormat(Qt::RichText);
    hint_->setAutoFillBackground(true);
    hint_->setPalette(QToolTip::palette());
    hint_->setFrameShape(QFrame::Box);
    hint_->setMargin(2);
    hint_->setWordWrap(true);
    hint_->hide();

    connect(pane.document(), &QTextDocument::contentsChange, this, &LanguageAssist::text_changed);
    connect(&pane, &QPlainTextEdit::cursorPositionChanged, this,
            &LanguageAssist::update_signature_hint);
    connect(notes.document(), &QTextDocument::contentsChanged, this, [this] {
        notes_stale_ = true;
        check_timer_->start();
    });
    pane.installEventFilter(this);
    pane.viewport()->installEventFilter(this);
}

void LanguageAssist::set_variable_values(const language::VariableValues* values) {
    analysis_.set_values(values);
}

const language::ProgramAnalysis& LanguageAssist::analysis() {
    refresh_analysis();
    return analysis_;
}

// The text as the saved file will hold it: code page 1251, a line end after
// the last line, so the live check says what Compile will say.
void LanguageAssist::refresh_analysis() {
    if (notes_stale_) {
        analysis_.set_notes(language::VariableNotes(notes_.toPlainText().toStdString()));
        notes_stale_ = false;
    }
    if (text_stale_) {
        text_ = language::DocumentText(pane_.program_text().toStdString() + "\n");
        analysis_.set_text(text_.cp1251());
        text_stale_ = false;
    }
}

void LanguageAssist::check_now() {
    check_timer_->stop();
    refresh_analysis();
    QList<QTextEdit::ExtraSelection> problems;
    for (const language::Diagnostic& diagnostic : analysis_.diagnostics()) {
        const QTextBlock block = pane_.document()->findBlockByNumber(diagnostic.range.start.line);
        if (!diagnostic.has_place() || !block.isValid()) {
            continue;  // a fault without a place: only Compile reports it
        }
        const language::TextPosition start = text_.to_utf16(diagnostic.range.start);
        const language::TextPosition end = text_.to_utf16(diagnostic.range.end);
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.cursor.setPosition(block.position() + std::min(start.column, block.length() - 1));
        selection.cursor.setPosition(block.position() + std::min(end.column, block.length() - 1),
                                     QTextCursor::KeepAnchor);
        selection.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        selection.format.setUnderlineColor(kProblemColour);
        problems << selection;
    }
    pane_.set_problem_selections(problems);
}

// A left edge that keeps a widget of `width` inside the viewport.
int LanguageAssist::fitted_left(int left, int width) const {
    return std::max(0, std::min(left, pane_.viewport()->width() - width));
}

language::TextPosition LanguageAssist::caret() const {
    const QTextCursor cursor = pane_.textCursor();
    return text_.to_bytes({cursor.blockNumber(), cursor.positionInBlock()});
}

void LanguageAssist::text_changed(int position, int removed, int added) {
    text_stale_ = true;
    check_timer_->start();
    const QString typed = typed_;
    typed_.clear();
    const bool one_typed = removed == 0 && added == 1 && !typed.isEmpty() &&
                           pane_.document()->characterAt(position) == typed[0];
    if (one_typed && (opens_list(typed) || (list_->isVisible() && continues_word(typed)))) {
        update_completion(false);
    } else {
        list_->hide();
    }
}

void LanguageAssist::show_completion() {
    update_completion(true);
}

void LanguageAssist::update_completion(bool show_empty) {
    refresh_analysis();
    completion_ = analysis_.complete(caret());
    list_->clear();
    for (const language::CompletionItem& item : completion_.items) {
        QString text = from_utf8(item.label);
        if (!item.detail.empty()) {
            text += QStringLiteral("  —  ") + from_utf8(item.detail);
        }
        list_->addItem(text);
    }
    if (completion_.items.empty() && !show_empty) {
        list_->hide();
        return;
    }
    list_->setCurrentRow(0);
    const QRect caret_rect = pane_.cursorRect();
    const int row_height = list_->fontMetrics().height() + 2;
    const int rows = std::clamp(list_->count(), 1, kListRows);
    list_->resize(std::min(pane_.viewport()->width(), 480), rows * row_height + 6);
    list_->move(fitted_left(caret_rect.left(), list_->width()), caret_rect.bottom() + 2);
    list_->show();
    list_->raise();
}

void LanguageAssist::accept_completion() {
    const int row = list_->currentRow();
    list_->hide();
    if (row < 0 || row >= static_cast<int>(completion_.items.size())) {
        return;
    }
    const language::TextPosition from = text_.to_utf16(completion_.replace.start);
    const language::TextPosition to = text_.to_utf16(completion_.replace.end);
    const QTextBlock block = pane_.document()->findBlockByNumber(from.line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + from.column);
    cursor.setPosition(block.position() + to.column, QTextCursor::KeepAnchor);
    cursor.insertText(from_utf8(completion_.items[row].insert_text));
    pane_.setTextCursor(cursor);
}

// While the list is open, the pane's keys move in it, take an item or close it.
bool LanguageAssist::list_key(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int step = key == Qt::Key_Up ? -1 : 1;
            list_->setCurrentRow(std::clamp(list_->currentRow() + step, 0, list_->count() - 1));
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            accept_completion();
            return true;
        case Qt::Key_Escape:
            list_->hide();
            return true;
        default:
            return false;
    }
}

void LanguageAssist::update_signature_hint() {
    refresh_analysis();
    const auto help = analysis_.signature_help(caret());
    if (!help) {
        hint_->hide();
        return;
    }
    const language::FunctionDoc& function = *help->function;
    QString text = from_utf8(function.name).toHtmlEscaped() + QLatin1Char('(');
    for (int i = 0; i < static_cast<int>(function.parameters.size()); ++i) {
        const QString name = from_utf8(function.parameters[i].name).toHtmlEscaped();
        text += (i > 0 ? QStringLiteral(", ") : QString()) +
                (i == help->active_parameter ? QStringLiteral("<b>%1</b>").arg(name) : name);
    }
    text += QLatin1Char(')');
    if (help->active_parameter < static_cast<int>(function.parameters.size())) {
        text += QStringLiteral("<br>") +
                from_utf8(language::parameter_line(function.parameters[help->active_parameter]))
                    .toHtmlEscaped();
    }
    hint_->setText(text);
    hint_->setMaximumWidth(pane_.viewport()->width());
    hint_->adjustSize();
    const QRect caret_rect = pane_.cursorRect();
    const int above = caret_rect.top() - hint_->height() - 2;
    hint_->move(fitted_left(caret_rect.left(), hint_->width()),
                above >= 0 ? above : caret_rect.bottom() + 2);
    hint_->show();
    hint_->raise();
}

QString LanguageAssist::hover_text(const QPoint& at) {
    refresh_analysis();
    const QTextCursor cursor = pane_.cursorForPosition(at);
    // cursorForPosition gives the nearest gap; the character under the mouse
    // is the one after it unless the mouse is on the right half of the one before.
    const QRect gap = pane_.cursorRect(cursor);
    int column = cursor.positionInBlock();
    if (at.x() < gap.left() && column > 0) {
        --column;
    }
    const language::TextPosition position = text_.to_bytes({cursor.blockNumber(), column});
    QStringList lines;
    for (const language::Diagnostic& diagnostic : analysis_.diagnostics()) {
        if (diagnostic.has_place() && diagnostic.range.start <= position &&
            position < diagnostic.range.end) {
            lines << from_utf8(diagnostic.message);
        }
    }
    if (const std::string hover = analysis_.hover(position).text; !hover.empty()) {
        lines << from_utf8(hover);
    }
    return lines.join(QLatin1Char('\n'));
}

bool LanguageAssist::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &pane_ && event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (list_->isVisible() && list_key(key.key())) {
            return true;
        }
        if (key.key() == Qt::Key_Space && (key.modifiers() & Qt::ControlModifier)) {
            show_completion();
            return true;
        }
        typed_ = key.text();
    } else if (watched == pane_.viewport() && event->type() == QEvent::ToolTip) {
        auto& help = static_cast<QHelpEvent&>(*event);
        const QString text = hover_text(help.pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help.globalPos(), text, pane_.viewport());
        }
        return true;
    } else if (watched == &pane_ && event->type() == QEvent::FocusOut) {
        list_->hide();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vx::ui
