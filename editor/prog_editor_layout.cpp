// Tprog_editor: the window's panes, splitters, status bar, menu and default texts.
#include <QAction>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

#include "editor/Prog_editor_f.h"
#include "editor/find_dialog.h"
#include "editor/program_pane.h"
#include "ui/panel_status_bar.h"

namespace vx::ui {

namespace {

const QString kDefaultProgram = QStringLiteral(
    "#Данное поле предназначено для написания программы контроллера.\n"
    "\n"
    "var[0]=GetTime(); # Присваиваем переменной 0 текущее время");
const QString kDefaultNotes = QStringLiteral(
    "Данное поле предназначено для хранения\n"
    "информации о назачении переменных в \n"
    "программе. Оно никак не виляет на саму \n"
    "программу и служит для удобства \n"
    "программиста.\n"
    "\n"
    "#var[0] Текущее время\n"
    "#var[1] 1 Ночь, 2 День\n"
    "#var[2] Режим работы: 0 дома, 1 никого нет, 2 отпуск");

}  // namespace

void Tprog_editor::build_layout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    editor = new ProgramPane(this);
    editor->setObjectName(QStringLiteral("editor"));
    editor2 = new QTextEdit(this);
    editor2->setObjectName(QStringLiteral("editor2"));
    editor2->setLineWrapMode(QTextEdit::NoWrap);
    editor2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor2->setTabChangesFocus(false);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(editor);
    Splitter1->addWidget(editor2);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({600, 245});

    sb = new PanelStatusBar;
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(false);
    sb->add_panel(96);
    sb->add_panel(50, kFileNamePrefix, true);

    auto* upper = new QWidget;
    auto* upper_layout = new QVBoxLayout(upper);
    upper_layout->setContentsMargins(0, 0, 0, 0);
    upper_layout->setSpacing(0);
    upper_layout->addWidget(Splitter1, 1);
    upper_layout->addWidget(sb);

    message_memo = new QPlainTextEdit;
    message_memo->setObjectName(QStringLiteral("message_memo"));
    message_memo->setReadOnly(true);
    message_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont message_font;
    message_font.setFamilies(QStringList{QStringLiteral("MS Sans Serif")} + kFallbackFamilies);
    message_font.setPixelSize(15);
    message_memo->setFont(message_font);

    Splitter2 = new QSplitter(Qt::Vertical, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(upper);
    Splitter2->addWidget(message_memo);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setSizes({480, 73});
    layout->addWidget(Splitter2, 1);

    FindDialog1 = new FindDialog(this);

    editor->installEventFilter(this);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this,
            &Tprog_editor::editorSelectionChange);
    connect(editor, &QPlainTextEdit::selectionChanged, this, &Tprog_editor::editorSelectionChange);
    connect(FindDialog1, &FindDialog::find_requested, this, &Tprog_editor::FindDialog1Find);
    build_debug_panes();
}

void Tprog_editor::build_menu() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout()->setMenuBar(MainMenu1);
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& shortcut, void (Tprog_editor::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto save_item = [this](QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut, bool (Tprog_editor::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };

    QMenu* file = MainMenu1->addMenu(QStringLiteral("Файл"));
    New1 = item(file, "New1", QStringLiteral("Новый"), QKeySequence(Qt::CTRL | Qt::Key_N),
                &Tprog_editor::New1Click);
    Open1 = item(file, "Open1", QStringLiteral("Открыть..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                 &Tprog_editor::Open1Click);
    file->addSeparator();
    Save1 = save_item(file, "Save1", QStringLiteral("Сохранить"),
                      QKeySequence(Qt::CTRL | Qt::Key_S), &Tprog_editor::Save1Click);
    SaveAs1 = save_item(file, "SaveAs1", QStringLiteral("Сохранить как..."), {},
                        &Tprog_editor::SaveAs1Click);
    file->addSeparator();
    Print1 = item(file, "Print1", QStringLiteral("Печать..."), {}, &Tprog_editor::Print1Click);
    file->addSeparator();
    Close1 = item(file, "Close1", QStringLiteral("Закрыть"), {}, &Tprog_editor::Close1Click);

    QMenu* edit = MainMenu1->addMenu(QStringLiteral("Правка"));
    Undo1 = item(edit, "Undo1", QStringLiteral("Отмена последнего действия"),
                 QKeySequence(Qt::CTRL | Qt::Key_Z), &Tprog_editor::Undo1Click);
    edit->addSeparator();
    Cut1 = item(edit, "Cut1", QStringLiteral("Вырезать"), {}, &Tprog_editor::Cut1Click);
    Copy1 = item(edit, "Copy1", QStringLiteral("Копировать"), {}, &Tprog_editor::Copy1Click);
    Paste1 = item(edit, "Paste1", QStringLiteral("Вставить"), {}, &Tprog_editor::Paste1Click);
    edit->addSeparator();
    Find1 = item(edit, "Find1", QStringLiteral("Найти..."), QKeySequence(Qt::CTRL | Qt::Key_F),
                 &Tprog_editor::Find1Click);

    QMenu* view = MainMenu1->addMenu(QStringLiteral("Вид"));
    Font1 = item(view, "Font1", QStringLiteral("Шрифт..."), {}, &Tprog_editor::Font1Click);

    QMenu* program = MainMenu1->addMenu(QStringLiteral("Программа"));
    Compile1 = item(program, "Compile1", QStringLiteral("Компилировать"),
                    QKeySequence(Qt::CTRL | Qt::Key_F9), &Tprog_editor::Compile1Click);
    build_debug_menu(program);

    QMenu* manual = MainMenu1->addMenu(QStringLiteral("Инструкция"));
    Manual1 =
        item(manual, "Manual1", QStringLiteral("Инструкция..."), {}, &Tprog_editor::Manual1Click);
    Converter1 = item(manual, "Converter1", QStringLiteral("Конвертер..."), {},
                      &Tprog_editor::Converter1Click);
    connect(manual, &QMenu::aboutToShow, this, &Tprog_editor::update_converter_item);
    update_converter_item();
}

void Tprog_editor::set_default_texts() {
    editor->setPlainText(kDefaultProgram);
    editor2->setPlainText(kDefaultNotes);
    set_unmodified();
}

}  // namespace vx::ui
