// Debugging in the editor: the menu's keys over a simulator session, the debug pane,
// the time bar, and what an edit or a compile error does to a session.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>

#include "editor/debug_controller.h"
#include "editor/debug_pane.h"
#include "editor/language_assist.h"
#include "editor/time_bar.h"
#include "prog_editor_fixture.h"

namespace vx::ui {
namespace {

// Lines:             1                      2                      3
const QString kCounting = QStringLiteral(
    "var[300]=var[300]+1;\n"
    "var[301]=var[300]*2;\n"
    "var[304]=StartTimer(1,1800);\n"
    "if (var[304]==1) { var[302]=var[302]+1; };\n"  // 4
    "var[303]=var[303]+5;");

class EditorDebugTest : public ProgEditorTest {
protected:
    void SetUp() override {
        ProgEditorTest::SetUp();
        set_program(kCounting);
        window->editor2->setPlainText(QStringLiteral("#var[300] Счётчик циклов"));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // Waits for the worker thread's run to end.
    bool stopped() {
        std::cerr << "active " << window->debug->active() << " running " << window->debug->running()
                  << " " << messages().join("|").toStdString() << "\n";
        return QTest::qWaitFor([this] { return window->debug->stopped(); }, 30000);
    }
    void caret_to_line(int line) {
        QTextCursor cursor(pane().document()->findBlockByNumber(line - 1));
        pane().setTextCursor(cursor);
    }
    QString cell(int number, int column) {
        const int row = window->debug_pane->row_of(number);
        return row < 0 ? QStringLiteral("<no row>")
                       : window->debug_pane->variables_table()->item(row, column)->text();
    }
    QString value(int number) { return cell(number, DebugPane::kValueColumn); }
    int current_line() { return pane().current_line() + 1; }
};

TEST_F(EditorDebugTest, BreakpointStepBackForceTimeAndStop) {
    caret_to_line(2);
    key(Qt::Key_F9);
    EXPECT_EQ(QSet<int>{1}, pane().breakpoint_lines());
    EXPECT_FALSE(window->DebugStep1->isEnabled());

    key(Qt::Key_F5);
    ASSERT_TRUE(stopped());
    EXPECT_EQ(2, current_line());
    EXPECT_EQ(QStringLiteral("Счётчик циклов"), cell(300, DebugPane::kNameColumn));
    EXPECT_EQ(QStringLiteral("1"), value(300));
    EXPECT_EQ(QStringLiteral("●"), cell(300, DebugPane::kMarkColumn));
    EXPECT_EQ(QStringLiteral("var[300] = 1, var[301] = 0"), pane().current_line_values());
    EXPECT_FALSE(window->DebugStart1->isEnabled());
    EXPECT_TRUE(window->DebugContinue1->isEnabled());
    EXPECT_TRUE(window->language_assist->hover_text(character_point(0, 2))
                    .endsWith(QStringLiteral("Значение: 1")));

    key(Qt::Key_F10);
    ASSERT_TRUE(stopped());
    EXPECT_EQ(3, current_line());
    EXPECT_EQ(QStringLiteral("2"), value(301));
    EXPECT_EQ(QStringLiteral(""), cell(300, DebugPane::kMarkColumn));

    QTest::keyClick(&pane(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(2, current_line());
    EXPECT_EQ(QStringLiteral("0"), value(301));

    // A force set in the pane holds against the program's var[303]=var[303]+5.
    QTableWidget& table = *window->debug_pane->variables_table();
    table.item(window->debug_pane->row_of(303), DebugPane::kValueColumn)->setText("7");
    EXPECT_EQ(QStringLiteral("7"), value(303));
    table.item(window->debug_pane->row_of(303), DebugPane::kForceColumn)
        ->setCheckState(Qt::Checked);
    EXPECT_EQ(QStringLiteral("удерж."), cell(303, DebugPane::kForceColumn));
    EXPECT_EQ(1, window->debug_pane->forces_list()->count());
    key(Qt::Key_F5);
    ASSERT_TRUE(stopped());
    EXPECT_EQ(2, current_line());
    EXPECT_EQ(QStringLiteral("2"), value(300));
    EXPECT_EQ(QStringLiteral("7"), value(303));

    // Half an hour on, without the breakpoint in the way: the timer's branch ran once.
    key(Qt::Key_F9);
    EXPECT_TRUE(pane().breakpoint_lines().isEmpty());
    EXPECT_EQ(QStringLiteral("0"), value(302));
    prompts_.answer_input(QStringLiteral("30"));
    window->time_bar->advance_button()->click();
    ASSERT_TRUE(stopped());
    EXPECT_EQ(QStringLiteral("1"), value(302));
    EXPECT_EQ(QStringLiteral("7"), value(303));
    EXPECT_TRUE(window->time_bar->clock()->text().startsWith(QStringLiteral("01.01.2026 00:30")))
        << window->time_bar->clock()->text().toStdString();
    // The built-in house's modules: a discrete one's eight inputs and outputs, an input
    // module's sixteen points and no outputs.
    const QTableWidget& modules = *window->debug_pane->modules_table();
    ASSERT_GE(modules.rowCount(), 3);
    for (const auto& [r, row] :
         {std::pair{0, QStringList{"1", "discrete", "10100000", "11000000"}},
          std::pair{2, QStringList{"5", "inputs", "1010000010000000", ""}}}) {
        EXPECT_EQ(row, (QStringList{modules.item(r, 0)->text(), modules.item(r, 1)->text(),
                                    modules.item(r, 3)->text(), modules.item(r, 4)->text()}));
    }

    QTest::keyClick(&pane(), Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_FALSE(window->debug->active());
    EXPECT_EQ(-1, pane().current_line());
    EXPECT_FALSE(window->language_assist->hover_text(character_point(0, 2))
                     .contains(QStringLiteral("Значение")));
    EXPECT_TRUE(window->DebugStart1->isEnabled());
    EXPECT_FALSE(window->DebugStep1->isEnabled());

    // With no breakpoint the program runs on; the window closes in the middle of it.
    key(Qt::Key_F5);
    EXPECT_TRUE(window->debug->running());
    EXPECT_TRUE(window->DebugPause1->isEnabled());
    EXPECT_FALSE(window->DebugStep1->isEnabled());
}

TEST_F(EditorDebugTest, AConditionHoldsTheStopTheFilterNarrowsPausedSpeedHoldsRuns) {
    prompts_.answer_input(QStringLiteral(" var[300] == 3 "));
    window->edit_breakpoint_field(1, Tprog_editor::BreakpointField::condition);
    EXPECT_EQ("var[300] == 3", window->debug->breakpoints().at(2).condition);
    key(Qt::Key_F5);
    ASSERT_TRUE(stopped());
    EXPECT_EQ(QStringLiteral("3"), value(300));

    const struct {
        const char* filter;
        int shown;
    } filters[] = {{"", 5}, {"300", 1}, {"30", 0}, {"СЧЁТ", 1}, {"циклов", 1}, {"zzz", 0}};
    QTableWidget& table = *window->debug_pane->variables_table();
    for (const auto& f : filters) {
        window->debug_pane->filter()->setText(QString::fromUtf8(f.filter));
        int shown = 0;
        for (int row = 0; row < table.rowCount(); ++row) {
            shown += table.isRowHidden(row) ? 0 : 1;
        }
        EXPECT_EQ(f.shown, shown) << f.filter;
    }

    window->time_bar->set_speed_index(4);  // "пауза": nothing runs on
    EXPECT_FALSE(window->DebugContinue1->isEnabled());
    EXPECT_TRUE(window->DebugStep1->isEnabled());
    window->time_bar->set_speed_index(3);
    EXPECT_EQ(1000, window->time_bar->speed());
    EXPECT_TRUE(window->DebugContinue1->isEnabled());
}

TEST_F(EditorDebugTest, AnEditAsksToRestartAndACompileErrorStartsNothing) {
    caret_to_line(2);
    key(Qt::Key_F9);
    for (const bool restart : {false, true}) {
        SCOPED_TRACE(restart);
        key(Qt::Key_F5);
        ASSERT_TRUE(stopped());
        restart ? prompts_.answer_yes() : prompts_.answer_no();
        // Line 2 now multiplies by three: a restart runs the new text, never the old compile.
        QTextCursor cursor(pane().document()->findBlockByNumber(1));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::Left);
        cursor.deletePreviousChar();
        cursor.insertText(QStringLiteral("3"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return prompts_.all_answers_used(); }, 5000));
        EXPECT_TRUE(prompts_.texts().last().startsWith(QStringLiteral("Программа изменена")));
        EXPECT_EQ(restart, window->debug->active());
        if (restart) {
            ASSERT_TRUE(stopped());
            key(Qt::Key_F10);
            ASSERT_TRUE(stopped());
            EXPECT_EQ(QStringLiteral("3"), value(301));
            QTest::keyClick(&pane(), Qt::Key_F5, Qt::ShiftModifier);
        }
    }

    set_program(QStringLiteral("var[1]=1;\nvar[2]=(;\n"));
    key(Qt::Key_F5);
    EXPECT_FALSE(window->debug->active());
    EXPECT_EQ(1, pane().error_line());
    EXPECT_TRUE(messages().value(0).startsWith(QStringLiteral("(")))
        << messages().join("|").toStdString();
    EXPECT_TRUE(window->DebugStart1->isEnabled());
}

}  // namespace
}  // namespace vx::ui
