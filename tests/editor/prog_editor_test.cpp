// The editor window's aids: start-up state, Tab and Backspace steps, position
// display, find, message clearing, paste, font setting, print, manual, converter,
// and the language help: completion, the parameter hint, hover, live underlines.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTextBlock>
#include <QTimer>

#include "app/forms.h"
#include "dialogs/Bit_to_char_f.h"
#include "editor/find_dialog.h"
#include "editor/language_assist.h"
#include "prog_editor_fixture.h"
#include "ui/settings.h"

namespace vx::ui {
namespace {

TEST_F(ProgEditorTest, StartsWithTheDefaultTextsAndTheStoredFont) {
    EXPECT_EQ(kEditorCaption, window->windowTitle());
    EXPECT_TRUE(program().startsWith(QStringLiteral("#Данное поле предназначено")));
    EXPECT_TRUE(program().endsWith(QStringLiteral("# Присваиваем переменной 0 текущее время")));
    EXPECT_EQ(3, pane().blockCount());
    EXPECT_EQ(9, window->editor2->document()->blockCount());
    EXPECT_EQ(QStringLiteral("информации о назачении переменных в "),
              window->editor2->document()->findBlockByNumber(1).text());
    EXPECT_EQ(QStringLiteral("Поз. 1 : 1"), panel(0));
    EXPECT_EQ(QStringLiteral("Имя файла: "), panel(1));
    EXPECT_EQ((EditorFont{QStringLiteral("MS Sans Serif"), 8, false, false}),
              window->font_setting());
    EXPECT_FALSE(window->is_modified());
}

TEST_F(ProgEditorTest, TabAndBackspaceStepByTwoSpaces) {
    const struct {
        const char* text;
        int anchor, caret;  // before the key
        Qt::Key key;
        const char* result;
        int caret_after;
    } cases[] = {
        {"", 0, 0, Qt::Key_Tab, "  ", 2},
        {"ab", 1, 1, Qt::Key_Tab, "a  b", 3},
        {"x\n", 2, 2, Qt::Key_Tab, "x\n  ", 4},
        {"abc", 0, 3, Qt::Key_Tab, "abc  ", 5},  // a selection: the spaces at its end only
        {"abcd", 3, 1, Qt::Key_Tab, "abc  d", 5},
        {"x  ", 3, 3, Qt::Key_Backspace, "x", 1},
        {"x ", 2, 2, Qt::Key_Backspace, "x", 1},
        {"  ", 2, 2, Qt::Key_Backspace, "", 0},
        {" ", 1, 1, Qt::Key_Backspace, "", 0},
        {"x", 1, 1, Qt::Key_Backspace, "", 0},
        {"ab  cd", 4, 6, Qt::Key_Backspace, "ab  ", 4},
        {"a\n  b", 4, 4, Qt::Key_Backspace, "a\nb", 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.text) + (row.key == Qt::Key_Tab ? " Tab" : " Backspace"));
        set_program(QString::fromUtf8(row.text));
        put_caret(row.anchor, row.caret);
        key(row.key);
        EXPECT_EQ(QString::fromUtf8(row.result), program());
        EXPECT_EQ(row.caret_after, pane().textCursor().position());
        EXPECT_FALSE(program().contains(QLatin1Char('\t')));
    }
    set_program(QString());
    key(Qt::Key_Tab);
    EXPECT_EQ(QStringLiteral("Поз. 3 : 1"), panel(0));
    pane().undo();  // one step undoes both spaces
    EXPECT_EQ(QString(), program());
}

TEST_F(ProgEditorTest, PositionShowsColumnThenLineOfTheSelectionEnd) {
    set_program(QStringLiteral("var[0]=1;\nvar[1]=22;"));
    put_caret(2, 14);
    EXPECT_EQ(QStringLiteral("Поз. 5 : 2"), panel(0));
    put_caret(14, 2);  // selected backwards: the end is still what counts
    EXPECT_EQ(QStringLiteral("Поз. 5 : 2"), panel(0));
}

TEST_F(ProgEditorTest, FindSearchesForwardWithCaseFromTheSelectionEnd) {
    set_program(QStringLiteral("var[0]=1;\nVAR[1]=2; var[2]=3;"));
    put_caret(0, 0);
    window->Find1Click();
    FindDialog& dialog = *window->FindDialog1;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(window->frameGeometry().left() + window->frameGeometry().width() / 2,
              dialog.frameGeometry().left());
    dialog.FindEdit->setText(QStringLiteral("var"));

    dialog.FindNextButton->click();
    EXPECT_EQ(0, pane().textCursor().selectionStart());
    EXPECT_EQ(QStringLiteral("var"), pane().textCursor().selectedText());
    dialog.FindNextButton->click();  // VAR on line 2 is not a match
    EXPECT_EQ(20, pane().textCursor().selectionStart());
    EXPECT_EQ(3, pane().textCursor().selectedText().size());
    dialog.FindNextButton->click();  // after the last match: nothing changes
    EXPECT_EQ(20, pane().textCursor().selectionStart());
    EXPECT_EQ(23, pane().textCursor().selectionEnd());
    EXPECT_TRUE(prompts_.records().empty());

    dialog.hide();
    window->Find1Click();
    EXPECT_EQ(QStringLiteral("var"), dialog.find_text());  // kept between showings
}

TEST_F(ProgEditorTest, TypingClearsTheMessagePaneButMovingDoesNot) {
    set_program(QStringLiteral("var[0]=1;"));
    save_as(path("m.prg"));
    window->Compile1Click();
    ASSERT_EQ(3, messages().size());
    key(Qt::Key_Left);
    EXPECT_EQ(3, messages().size());
    type(QStringLiteral("a"));
    EXPECT_EQ(QStringList(), messages());
}

TEST_F(ProgEditorTest, PastingLeavesTheClipboardAsOtherProgramsLeftIt) {
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<b>var[5]=1;</b>"));
    data->setText(QStringLiteral("var[5]=1;"));
    QApplication::clipboard()->setMimeData(data);
    set_program(QString());

    QTest::keyClick(&pane(), Qt::Key_Control);
    QTest::keyClick(&pane(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(QStringLiteral("var[5]=1;"), program());
    window->Paste1Click();
    EXPECT_EQ(QStringLiteral("var[5]=1;var[5]=1;"), program());
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasHtml());

    window->Undo1Click();
    EXPECT_EQ(QStringLiteral("var[5]=1;"), program());
    pane().selectAll();
    window->Cut1Click();
    EXPECT_EQ(QString(), program());
    EXPECT_EQ(QStringLiteral("var[5]=1;"), QApplication::clipboard()->text());
}

TEST_F(ProgEditorTest, FontNameAndSizeSurviveARestartButNotTheStyle) {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(14);
    chosen.setBold(true);
    prompts_.answer_font(chosen);
    window->Font1Click();
    EXPECT_EQ((EditorFont{QStringLiteral("DejaVu Serif"), 14, true, false}),
              window->font_setting());
    EXPECT_TRUE(pane().font().bold());
    EXPECT_TRUE(QTextCursor(window->editor2->document()).charFormat().font().bold());
    EXPECT_EQ(14, window->editor2->document()
                      ->findBlockByNumber(3)
                      .begin()
                      .fragment()
                      .charFormat()
                      .font()
                      .pointSize());
    EXPECT_FALSE(window->is_modified());  // a font is no change of the texts

    restart();
    EXPECT_EQ((EditorFont{QStringLiteral("DejaVu Serif"), 14, false, false}),
              window->font_setting());
    EXPECT_FALSE(pane().font().bold());
    QSettings stored(path("properties.ini"), QSettings::IniFormat);
    EXPECT_EQ(QStringLiteral("DejaVu Serif"), stored.value(kEditorFontNameKey).toString());
    EXPECT_EQ(14, stored.value(kEditorFontSizeKey).toInt());
}

TEST_F(ProgEditorTest, PrintWritesTheProgramAsOneJobOnItsPages) {
    QString text;
    for (int line = 0; line < 150; ++line) {
        text += QStringLiteral("var[%1]=GetTime(); # строка %1\n").arg(line);
    }
    set_program(text);
    save_as(path("printed.prg"));
    prompts_.accept_printer(false);
    window->Print1Click();
    prompts_.accept_printer_to_pdf(path("printed.pdf"));
    window->Print1Click();
    const QByteArray pdf = read(path("printed.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF")) << pdf.left(20).toStdString();
    qsizetype count = 0;
    for (auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))
                       .globalMatch(QString::fromLatin1(pdf));
         it.hasNext(); it.next()) {
        ++count;
    }
    EXPECT_GE(count, 3);  // 150 lines do not fit on one or two pages
    // The job's title, which the PDF keeps as its title in UTF-16.
    QByteArray title("/Title (\xfe\xff");
    for (QChar c : path("printed.prg")) {
        title += static_cast<char>(c.unicode() >> 8);
        title += static_cast<char>(c.unicode() & 0xFF);
    }
    EXPECT_TRUE(pdf.contains(title));
    EXPECT_TRUE(prompts_.messages().isEmpty());
}

TEST_F(ProgEditorTest, ManualOpensTheBuiltDocumentOrSaysItIsMissing) {
    window->Manual1Click();  // this run's program folder has no Docs
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_EQ(QStringLiteral("Файл не найден.\n") + path("Docs/" VX_MANUAL_FILE_NAME),
              prompts_.messages()[0]);

    restart(QStringLiteral(VX_BINARY_DIR "/app"));
    window->Manual1Click();
    ASSERT_EQ(1, prompts_.records().size());
    EXPECT_EQ(test::PromptKind::desktop, prompts_.records()[0].kind);
    EXPECT_EQ(QUrl::fromLocalFile(QStringLiteral(VX_BINARY_DIR "/app/Docs/" VX_MANUAL_FILE_NAME)),
              prompts_.records()[0].url);
}

// Counts the times a window was blocked by a modal one.
class BlockCounter final : public QObject {
public:
    int blocked = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        blocked += event->type() == QEvent::WindowBlocked;
        return false;
    }
};

TEST_F(ProgEditorTest, ConverterItemShowsTheConverterBesideTheModalEditor) {
    window->hide();
    EXPECT_FALSE(window->Converter1->isEnabled());  // no converter in this program

    QDialog converter;
    converter.setObjectName(QStringLiteral("bit_to_char_convertor"));
    BlockCounter counter;
    converter.installEventFilter(&counter);
    QObject::connect(
        window.get(), &Tprog_editor::converter_requested, &converter,
        [&converter](QWidget* owner) { open_bit_to_char_convertor(&converter, owner); });
    bool enabled_while_modal = false;
    QTimer::singleShot(0, window.get(), [&] {
        enabled_while_modal = window->Converter1->isEnabled();
        window->Converter1->trigger();
        test::settle_events();
        window->hide();
    });
    window->exec();  // as the main window's menu item shows it
    EXPECT_TRUE(enabled_while_modal);
    EXPECT_TRUE(converter.isVisible());
    EXPECT_FALSE(converter.isModal());
    EXPECT_EQ(0, counter.blocked);
}

TEST_F(ProgEditorTest, TheProgramCreatesTheEditorForItsMenuItemAndItWritesTheFontAtTheEnd) {
    window.reset();
    close_windows();
    ContextOptions forms_options = options(fake.port());
    forms_options.settings_path = path("forms.ini");
    context_ = std::make_unique<WindowContext>(prompts_, forms_options);
    create_forms(*context_);
    ASSERT_NE(nullptr, prog_editor);
    EXPECT_EQ(prog_editor, context_->window(QStringLiteral("prog_editor")));
    EXPECT_TRUE(main_form->N5->isEnabled());
    destroy_forms();
    context_.reset();  // the settings are written when the last window is gone
    EXPECT_EQ(nullptr, prog_editor);
    QSettings stored(path("forms.ini"), QSettings::IniFormat);
    EXPECT_EQ(QStringLiteral("MS Sans Serif"), stored.value(kEditorFontNameKey).toString());
    EXPECT_EQ(8, stored.value(kEditorFontSizeKey).toInt());
}

TEST_F(ProgEditorTest, CompletesFromTheNotesAndHintsTheParameterInACall) {
    LanguageAssist& assist = *window->language_assist;
    window->editor2->setPlainText(QStringLiteral("#var[20] Температура в зале\n#var[21] Уставка"));
    set_program(QString());
    type(QStringLiteral("var["));
    QListWidget& list = *assist.completion_list();
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(2, list.count());
    EXPECT_EQ(QStringLiteral("var[20]  —  Температура в зале"), list.item(0)->text());
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_FALSE(list.isVisible());
    type(QStringLiteral("=SetTh"));
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(1, list.count());
    key(Qt::Key_Tab);  // takes the item: no two spaces
    type(QStringLiteral("3, "));
    EXPECT_EQ(QStringLiteral("var[21]=SetThermoregOutput(3, "), program());
    QLabel& hint = *assist.signature_hint();
    ASSERT_TRUE(hint.isVisible());
    EXPECT_EQ(QStringLiteral("SetThermoregOutput(адрес, <b>канал</b>, значение)<br>"
                             "канал — канал терморегулятора; 0"),
              hint.text());
    type(QStringLiteral("1, 2);"));
    EXPECT_FALSE(hint.isVisible());
    key(Qt::Key_Return);
    type(QStringLiteral("var[0]=Уст"));  // a name finds its variable
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(QStringLiteral("var[21]  —  Уставка"), list.item(0)->text());
    key(Qt::Key_Escape);
    EXPECT_FALSE(list.isVisible());
    QTest::keyClick(&pane(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(list.isVisible());
}

TEST_F(ProgEditorTest, UnderlinesTheCompilersProblemAsYouTypeAndLeavesTheMessagesAlone) {
    LanguageAssist& assist = *window->language_assist;
    window->message_memo->setPlainText(QStringLiteral("(1 : 1) прежнее сообщение"));
    set_program(QStringLiteral("var[0]=1;\nvar[1]=StartTimer(1);\n"));
    assist.check_now();  // what the quiet time after typing runs
    const auto underlines = [&] {
        QStringList found;
        for (const QTextEdit::ExtraSelection& s : pane().extraSelections()) {
            if (s.format.underlineStyle() == QTextCharFormat::WaveUnderline) {
                found << QStringLiteral("%1:%2")
                             .arg(s.cursor.blockNumber())
                             .arg(s.cursor.selectedText());
            }
        }
        return found;
    };
    EXPECT_EQ(QStringList{QStringLiteral("1:)")}, underlines());
    EXPECT_EQ(QStringLiteral("Неверное количество параметров функции."),
              assist.hover_text(character_point(1, 19)));
    EXPECT_EQ(QStringLiteral("StartTimer(таймер, время)\nЗапуск таймера.\n"
                             "таймер — номер таймера; 0–65535\nвремя — время в секундах; 0–65535"),
              assist.hover_text(character_point(1, 9)));
    EXPECT_EQ(QStringLiteral("(1 : 1) прежнее сообщение"), window->message_memo->toPlainText());

    set_program(QStringLiteral("var[0]=1;\nvar[1]=StartTimer(1, 2);\n"));
    assist.check_now();
    EXPECT_TRUE(underlines().isEmpty());
}

}  // namespace
}  // namespace vx::ui
