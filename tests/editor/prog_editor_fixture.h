// The editor window against a fake controller, a temporary folder and scripted prompts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include <QFile>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include "editor/Prog_editor_f.h"
#include "editor/program_pane.h"
#include "support/fake_controller.h"
#include "support/ui/window_fixture.h"
#include "ui/panel_status_bar.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}

namespace vx::ui {

class ProgEditorTest : public test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
    }
    void TearDown() override {
        window.reset();  // before the main window, its parent
        WindowTest::TearDown();
    }

    // A run of the program: the context, the main window, then the editor.
    void start(const QString& program_dir = QString()) {
        ContextOptions start_options = options(fake.port());
        if (!program_dir.isEmpty()) {
            start_options.program_dir = program_dir;
        }
        context_ = std::make_unique<WindowContext>(prompts_, start_options);
        main_ = std::make_unique<Tmain_form>(*context_);
        window = std::make_unique<Tprog_editor>(*context_, main_.get());
        window->show();
        test::settle_events();
        prompts_.clear_records();
    }
    // The end of the run and a new start, as the program does it.
    void restart(const QString& program_dir = QString()) {
        window.reset();
        close_windows();
        start(program_dir);
    }

    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    ProgramPane& pane() { return *window->editor; }
    QString program() { return pane().toPlainText(); }
    QString notes() { return window->editor2->toPlainText(); }
    QStringList messages() {
        const QString text = window->message_memo->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    QString panel(int index) { return window->sb->panel_text(index); }
    void set_program(const QString& text) {
        pane().setPlainText(text);
        pane().document()->setModified(false);
    }
    // Saves the panes as file through "Сохранить как...".
    void save_as(const QString& file) {
        prompts_.answer_file(file);
        ASSERT_TRUE(window->SaveAs1Click());
    }
    // Types the text key by key; a character without a key of its own (Cyrillic)
    // comes as a key event that carries it.
    void type(const QString& text) {
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClicks(&pane(), QString(ch));
            } else {
                QTest::sendKeyEvent(QTest::Click, &pane(), Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            }
        }
    }
    void key(Qt::Key code) { QTest::keyClick(&pane(), code); }
    void put_caret(int anchor, int position) {
        QTextCursor cursor = pane().textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        pane().setTextCursor(cursor);
    }

    // The middle of a character (line and column from zero), as the mouse would be on it.
    QPoint character_point(int line, int column) {
        const int position = pane().document()->findBlockByNumber(line).position() + column;
        QTextCursor cursor(pane().document());
        cursor.setPosition(position);
        const QRect before = pane().cursorRect(cursor);
        cursor.setPosition(position + 1);
        return QPoint((before.left() + pane().cursorRect(cursor).left()) / 2, before.center().y());
    }

    test::FakeController fake;
    std::unique_ptr<Tprog_editor> window;
};

}  // namespace vx::ui
