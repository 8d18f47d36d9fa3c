// The editor window's files: Save, Save as, Open, New, Compile, and the
// question about unsaved changes on every path that would discard them.
#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "files/codepage.h"
#include "prog_editor_fixture.h"

namespace vx::ui {
namespace {

TEST_F(ProgEditorTest, SaveAsWritesProgramAndNotesAndCompileWritesListingAndProgram) {
    set_program(QStringLiteral("var[0]=GetTime(); # время"));
    const QString home = path("home.prg");
    save_as(home);
    EXPECT_EQ(QByteArray::fromStdString(files::utf8_to_cp1251("var[0]=GetTime(); # время\r\n")),
              read(home));
    EXPECT_TRUE(read(home + ".tag").startsWith("{\\rtf1"));
    EXPECT_EQ(kEditorCaption + " - " + home, window->windowTitle());
    EXPECT_EQ(QStringLiteral("Имя файла: home.prg"), panel(1));
    EXPECT_EQ(QStringList(), messages());  // Save as writes no line

    window->Compile1Click();
    EXPECT_TRUE(QFileInfo::exists(home + ".chain"));
    EXPECT_EQ(20, read(home + ".cpl").size());  // header and one instruction
    const QStringList lines = messages();
    ASSERT_EQ(3, lines.size()) << lines.join('|').toStdString();
    EXPECT_EQ(QStringLiteral("Ошибок не обнаружено."), lines[0]);
    EXPECT_EQ(QStringLiteral("Программа скомпилирована успешно."), lines[1]);
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d Итоговый файл: " +
                                   QRegularExpression::escape(home + ".cpl") + "$")
                    .match(lines[2])
                    .hasMatch())
        << lines[2].toStdString();
}

TEST_F(ProgEditorTest, SaveAsAddsTheExtensionOnlyToABareName) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {{"heat", "heat.prg"}, {"heat.prg", "heat.prg"}, {"heat.txt", "heat.txt"}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.typed);
        save_as(path(row.typed));
        EXPECT_EQ(path(row.written), window->current_file());
        EXPECT_TRUE(QFileInfo::exists(path(row.written)));
        EXPECT_TRUE(QFileInfo::exists(path(row.written) + ".tag"));
    }
}

TEST_F(ProgEditorTest, CompileWithoutAStoredFileSaysSoAndWritesNothing) {
    window->Compile1Click();  // the default text is on screen, but no file is stored
    EXPECT_EQ(QStringList{QStringLiteral("Программный файл не найден.")}, messages());

    save_as(path("gone.prg"));
    QFile::remove(path("gone.prg"));
    window->Compile1Click();
    EXPECT_EQ(QStringList{QStringLiteral("Программный файл не найден.")}, messages());
    EXPECT_FALSE(QFileInfo::exists(path("gone.prg.cpl")));
}

TEST_F(ProgEditorTest, ADiagnosticShowsColumnAndLineAndPutsTheCaretThere) {
    QString text;
    for (int line = 1; line < 12; ++line) {
        text += QStringLiteral("var[%1]=1;\n").arg(line);
    }
    text += QStringLiteral("var[1024]=1;\nvar[0]=2;");
    set_program(text);
    save_as(path("faulty.prg"));
    window->Compile1Click();
    EXPECT_EQ(
        QStringList{QStringLiteral("(5 : 12) Номер идентификатора выходит за допустимые пределы.")},
        messages());
    EXPECT_EQ(11, pane().textCursor().blockNumber());
    EXPECT_EQ(4, pane().textCursor().positionInBlock());
    EXPECT_EQ(QStringLiteral("Поз. 5 : 12"), panel(0));
    EXPECT_EQ(11, pane().error_line());
    EXPECT_FALSE(QFileInfo::exists(path("faulty.prg.cpl")));

    type(QStringLiteral(" "));  // the next edit takes the mark and the message away
    EXPECT_EQ(-1, pane().error_line());
    EXPECT_EQ(QStringList(), messages());
}

TEST_F(ProgEditorTest, CompileTakesTheStoredFileAndSaysWhenTheScreenDiffers) {
    set_program(QStringLiteral("var[0]=1;"));
    save_as(path("p.prg"));
    window->Compile1Click();
    EXPECT_EQ(3, messages().size());

    pane().moveCursor(QTextCursor::End);
    type(QStringLiteral(" var[1]=GetTime("));  // broken on screen, not on disk
    window->Compile1Click();
    const QStringList lines = messages();
    ASSERT_EQ(4, lines.size());
    EXPECT_EQ(QStringLiteral("Программа скомпилирована успешно."), lines[1]);
    EXPECT_TRUE(
        lines[3].startsWith(QStringLiteral("Скомпилирован файл в том виде, в каком он "
                                           "сохранён")));
}

TEST_F(ProgEditorTest, ACompileThatFindsNothingToCompileSaysSo) {
    set_program(QStringLiteral("# только комментарий"));
    save_as(path("empty.prg"));
    window->Compile1Click();
    EXPECT_EQ(
        QStringList{QStringLiteral("В программе нет ни одного оператора: компилировать нечего.")},
        messages());
}

TEST_F(ProgEditorTest, SaveWithoutAFileNameIsSaveAsAndCancellingSavesNothing) {
    window->Compile1Click();
    const QStringList before = messages();
    prompts_.cancel_file_dialog();
    EXPECT_FALSE(window->Save1Click());
    EXPECT_EQ(before, messages());
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / ""));
    EXPECT_EQ(QString(), window->current_file());

    prompts_.answer_file(path("first.prg"));
    EXPECT_TRUE(window->Save1Click());
    EXPECT_EQ(path("first.prg"), window->current_file());

    window->Save1Click();  // now a plain Save: no dialog, one line
    ASSERT_EQ(1, messages().size());
    EXPECT_TRUE(messages()[0].endsWith(QStringLiteral(" Файл сохранён.")))
        << messages()[0].toStdString();
    EXPECT_TRUE(prompts_.all_answers_used());
}

TEST_F(ProgEditorTest, SaveReplacesTheFileWholeAndAFailedSaveKeepsTheOldOne) {
    set_program(QStringLiteral("var[0]=1;"));
    save_as(path("keep.prg"));
    const QByteArray stored = read(path("keep.prg"));
    // A folder where the notes file should go makes the save fail after the
    // program file: the error carries the reason and nothing is half written.
    set_program(QStringLiteral("var[0]=2;"));
    std::filesystem::create_directory(dir_.path() / "other.prg.tag");
    prompts_.answer_file(path("other.prg"));
    EXPECT_FALSE(window->SaveAs1Click());
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_TRUE(prompts_.messages()[0].contains(QStringLiteral("other.prg.tag")))
        << prompts_.messages()[0].toStdString();
    EXPECT_EQ(path("keep.prg"), window->current_file());  // the command did not finish
    EXPECT_EQ(stored, read(path("keep.prg")));
    // The program file was written before the notes failed; no temporary file is left.
    QStringList files = QDir(path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    files.removeAll(QStringLiteral("properties.ini"));
    EXPECT_EQ((QStringList{"keep.prg", "keep.prg.tag", "other.prg", "other.prg.tag"}), files);
}

TEST_F(ProgEditorTest, NewEmptiesBothPanesAndTheFileName) {
    save_as(path("n.prg"));
    prompts_.clear_records();
    window->New1Click();
    EXPECT_EQ(QString(), program());
    EXPECT_EQ(QString(), notes());
    EXPECT_EQ(QString(), window->current_file());
    EXPECT_EQ(kEditorCaption + " - ", window->windowTitle());
    EXPECT_EQ(QStringLiteral("Имя файла: "), panel(1));
    EXPECT_TRUE(prompts_.records().empty());  // nothing unsaved, nothing asked
}

TEST_F(ProgEditorTest, OpenLoadsTheProgramAndWhateverNotesFileLiesBesideIt) {
    const QByteArray rtf_notes =
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 \\b \\'cd\\'ee\\'f7\\'fc\\b0 "
        "\\par 2\\par}";
    const struct {
        const char* name;
        QByteArray notes_file;  // empty: no notes file
        QString notes;
    } cases[] = {
        {"none", QByteArray(), QString()},
        {"plain", QByteArray::fromStdString(files::utf8_to_cp1251("Ночь\r\nдень")),
         QStringLiteral("Ночь\nдень")},
        {"rtf", rtf_notes, QStringLiteral("Ночь\n2")},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const QString program_path = path(row.name) + ".prg";
        write(program_path, "var[0]=1;\r\n# \xcd\xee\xf7\xfc\r\n");
        if (!row.notes_file.isEmpty()) {
            write(program_path + ".tag", row.notes_file);
        }
        prompts_.answer_file(program_path);
        window->Open1Click();
        EXPECT_EQ(QStringLiteral("var[0]=1;\n# Ночь"), program());
        EXPECT_EQ(row.notes, notes());
        EXPECT_EQ(program_path, window->current_file());
        EXPECT_FALSE(window->is_modified());
    }
    EXPECT_TRUE(prompts_.messages().isEmpty());
}

TEST_F(ProgEditorTest, AFileThatCannotBeReadLeavesTheWindowAsItWas) {
    set_program(QStringLiteral("var[0]=1;"));
    save_as(path("mine.prg"));
    std::filesystem::create_directory(dir_.path() / "folder.prg");
    prompts_.answer_file(path("folder.prg"));
    window->Open1Click();
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_TRUE(prompts_.messages()[0].contains(QStringLiteral("folder.prg")));
    EXPECT_EQ(QStringLiteral("var[0]=1;"), program());
    EXPECT_EQ(path("mine.prg"), window->current_file());
}

// The paths that would discard the panes, each answered Yes, No and Cancel.
TEST_F(ProgEditorTest, UnsavedChangesAreAskedAboutOnEveryPath) {
    const QString other = path("other.prg");
    write(other, "var[9]=9;\r\n");
    struct Path {
        const char* name;
        std::function<bool()> run;  // true when the panes were discarded
    };
    const Path paths[] = {
        {"New",
         [this] {
             window->New1Click();
             return program().isEmpty();
         }},
        {"Close",
         [this] {
             window->Close1Click();
             return program().isEmpty();
         }},
        {"Open",
         [this, other] {
             window->Open1Click();
             return program() == QStringLiteral("var[9]=9;");
         }},
        {"end of run", [this] { return main_->close(); }},
    };
    const char* answers[] = {"yes", "no", "cancel"};
    for (const Path& discard : paths) {
        for (const char* answer : answers) {
            SCOPED_TRACE(std::string(discard.name) + ", " + answer);
            restart();
            set_program(QStringLiteral("var[0]=1;"));
            save_as(path("work.prg"));
            pane().moveCursor(QTextCursor::End);
            type(QStringLiteral("X"));
            prompts_.clear_records();
            const std::string_view chosen = answer;
            if (chosen == "yes") {
                prompts_.answer_yes();
            } else if (chosen == "no") {
                prompts_.answer_no();
            } else {
                prompts_.answer_cancel();
            }
            // After Cancel no file dialog may follow: an unscripted one fails the test.
            if (chosen != "cancel" && std::string_view(discard.name) == "Open") {
                prompts_.answer_file(other);
            }
            const bool discarded = discard.run();
            ASSERT_FALSE(prompts_.records().empty());
            EXPECT_EQ(kSaveChangesQuestion, prompts_.records()[0].text);
            EXPECT_EQ(chosen != "cancel", discarded);
            EXPECT_EQ(chosen == "yes" ? QByteArray("var[0]=1;X\r\n") : QByteArray("var[0]=1;\r\n"),
                      read(path("work.prg")));
            if (chosen == "cancel") {
                EXPECT_EQ(QStringLiteral("var[0]=1;X"), program());
                EXPECT_EQ(path("work.prg"), window->current_file());
            }
            EXPECT_TRUE(prompts_.all_answers_used());
        }
    }
}

TEST_F(ProgEditorTest, YesWithoutAFileNameAsksForOneAndItsCancelKeepsThePanes) {
    type(QStringLiteral("X"));
    prompts_.answer_yes().cancel_file_dialog();
    window->New1Click();
    EXPECT_TRUE(program().startsWith(QStringLiteral("X#Данное поле")));
    EXPECT_TRUE(prompts_.all_answers_used());
}

}  // namespace
}  // namespace vx::ui
