// The editor window against a fake controller, a temporary folder and scripted prompts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include <QFile>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QTextEdit>

#include "app/Root.h"
#include "app/panel_status_bar.h"
#include "editor/Prog_editor_f.h"
#include "editor/program_pane.h"
#include "support/fake_controller.h"
#include "support/temp_dir.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}

namespace vx::ui {

class ProgEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::gui_app();
        start();
    }

    // A run of the program: the main window, then the editor.
    void start(const QString& program_dir = QString()) {
        MainFormOptions options;
        options.port = fake.port();
        options.program_dir = program_dir.isEmpty() ? path("") : program_dir;
        options.settings_path = path("properties.ini");
        main = std::make_unique<Tmain_form>(prompts, options);
        window = std::make_unique<Tprog_editor>(*main);
        window->show();
        test::settle_events();
        prompts.clear_records();
    }
    // The end of the run and a new start, as the program does it.
    void restart(const QString& program_dir = QString()) {
        window.reset();
        main.reset();
        start(program_dir);
    }

    QString path(const char* name) const {
        return QString::fromStdString((dir.path() / name).string());
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
        prompts.answer_file(file);
        ASSERT_TRUE(window->SaveAs1Click());
    }
    void type(const QString& text) { QTest::keyClicks(&pane(), text); }
    void key(Qt::Key code) { QTest::keyClick(&pane(), code); }
    void put_caret(int anchor, int position) {
        QTextCursor cursor = pane().textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        pane().setTextCursor(cursor);
    }

    test::FakeController fake;
    test::TempDir dir;
    test::ScriptedPrompts prompts;
    std::unique_ptr<Tmain_form> main;
    std::unique_ptr<Tprog_editor> window;  // destroyed before main, which is its parent
};

}  // namespace vx::ui
