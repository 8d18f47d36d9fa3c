// The main window against the fake controller: version, both refreshes with
// their status texts, and the maintenance commands of the menu.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "app/module_refresh.h"
#include "controller_script.h"
#include "main_form_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

// time of day + message, the time in the system's format (h:mm:ss or hh:mm:ss).
::testing::AssertionResult stamped(const QString& text, const QString& message) {
    static const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d{2}:\\d{2}"));
    const auto match = time.match(text);
    if (match.hasMatch() && text.mid(match.capturedLength()) == message) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << '"' << text.toStdString() << "\" is not a time + \"" << message.toStdString() << '"';
}

const QString kDone = QStringLiteral(" Операция выполнена. ");
const QString kReconnectHint = QStringLiteral(
    " Когда контроллер снова запустится, подключитесь к нему: меню Утилиты, пункт "
    "\"Подключиться к контроллеру\".");
const QString kFailed = QStringLiteral(" Операция не выполнена. Возникла ошибка.");

class ConnectedFormTest : public MainFormTest {
protected:
    // Creates and shows the window; the controller tells its version first.
    void start(uint8_t major = 2, uint8_t minor = 15) {
        fake_.expect(version_request()).reply(version_reply(major, minor));
        create(fake_.port());
        show();
        fake_.verify();
        prompts_.clear_records();
    }
    ui::StringGrid& variables() { return *main_->sg1; }
    ui::StringGrid& modules() { return *main_->sg2; }
    // The variables whose cells are highlighted.
    std::vector<int> highlighted() {
        std::vector<int> found;
        for (int n = 0; n < 1024; ++n) {
            if (variables().cell_color(1 + n % 16, 1 + n / 16).isValid()) {
                found.push_back(n);
            }
        }
        return found;
    }

    FakeController fake_;
};

TEST_F(ConnectedFormTest, VersionIsShownInThePanelAndTheAboutBox) {
    fake_.expect(version_request()).reply(version_reply(2, 15));
    create(fake_.port());
    QDialog about;
    auto* label2 = new QLabel("Нет данных", &about);
    label2->setObjectName("Label2");
    QObject::connect(main_.get(), &ui::Tmain_form::controller_version_read, label2,
                     &QLabel::setText);
    show();
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());
    EXPECT_EQ("Открыто", panel(1));
    EXPECT_EQ("2.15", panel(3));
    EXPECT_EQ("2.15", label2->text());
    EXPECT_EQ("2.15", main_->controller_version_text());
}

TEST_F(ConnectedFormTest, MajorVersionZeroCountsAsNoAnswer) {
    start(0, 7);
    EXPECT_EQ("", panel(3));
    fake_.expect(version_request()).reply(version_reply(0, 7));
    main_->FormShow();
    fake_.verify();
    EXPECT_EQ(QStringList{"Нет ответа от контроллера."}, prompts_.messages());
    EXPECT_EQ("", panel(3));
}

TEST_F(ConnectedFormTest, VariablesRefreshShowsUnsignedValues) {
    start();
    fake_.expect(packet("1D 04 00 00 00 00 00"))
        .reply(variables_reply({{0, 0x1234}, {17, 7}, {1023, 65535}}));
    main_->Button2->click();
    fake_.verify();
    EXPECT_EQ("4660", variables().cell(1, 1));
    EXPECT_EQ("7", variables().cell(2, 2));
    EXPECT_EQ("65535", variables().cell(16, 64));
    EXPECT_EQ("0", variables().cell(5, 30));
    EXPECT_TRUE(stamped(panel(5), kDone));
    EXPECT_TRUE(main_->Button2->isEnabled());
    EXPECT_EQ("Открыто", panel(1));
}

// Each refresh highlights what changed since the one before, until the next;
// values handed in by another window count as a refresh too.
TEST_F(ConnectedFormTest, VariablesRefreshHighlightsTheChangedCells) {
    start();
    const struct {
        std::map<int, uint16_t> values;
        std::vector<int> highlighted;
    } refreshes[] = {
        {{{3, 33}, {1023, 9}}, {}},  // the first refresh has nothing to compare with
        {{{3, 34}, {1023, 9}}, {3}},
        {{{3, 34}, {1023, 9}}, {}},
        {{{0, 1}, {3, 34}}, {0, 1023}},
    };
    for (const auto& refresh : refreshes) {
        SCOPED_TRACE(refresh.highlighted.size());
        fake_.expect(packet("1D 04 00 00 00 00 00")).reply(variables_reply(refresh.values));
        main_->Button2Click();
        fake_.verify();
        EXPECT_EQ(refresh.highlighted, highlighted());
    }
    std::vector<uint16_t> sample(1024, 0);
    sample[0] = 1;
    sample[3] = 35;
    main_->show_variable_values(sample);
    EXPECT_EQ(std::vector<int>{3}, highlighted());
    EXPECT_EQ("35", variables().cell(4, 1));
    main_->show_variable_values(std::vector<uint16_t>(5, 7));  // not a full table: ignored
    EXPECT_EQ("35", variables().cell(4, 1));
    EXPECT_EQ(std::vector<int>{3}, highlighted());

    // A failed refresh keeps what the grid shows, highlight included.
    fake_.close_connection();
    main_->Button2Click();
    EXPECT_EQ(std::vector<int>{3}, highlighted());
}

TEST_F(ConnectedFormTest, LostConnectionShowsTheErrorAndAbsentConnection) {
    start();
    fake_.expect(packet("1D 04 00 00 00 00 00")).reply(variables_reply({{3, 33}}));
    main_->Button2Click();
    fake_.close_connection();
    fake_.verify();
    main_->Button2Click();
    EXPECT_TRUE(stamped(panel(5), kFailed));
    EXPECT_EQ("Отсутствует", panel(1));
    EXPECT_EQ("33", variables().cell(4, 1));  // the grid keeps what it had
    EXPECT_TRUE(main_->Button2->isEnabled());

    main_->Button1Click();  // the module count fails at once too
    EXPECT_TRUE(stamped(panel(5), kFailed));
    EXPECT_TRUE(main_->Button1->isEnabled());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(ConnectedFormTest, ModuleRefreshListsTheModulesWithTheirState) {
    start();
    ModuleScript script;
    script.count = 2;
    script.types[4] = 1;   // address 5
    script.types[8] = 12;  // address 9
    script.io[8] = 0x05;   // address 5: Data0
    script.io[9] = 0x01;   //            Data1
    script.health[8] = 1;  // address 9 is not active
    script.infos = {{5, 3, 1, 0}, {9, 4, 12, 0}};
    script_module_refresh(fake_, script);
    main_->Button1->click();
    fake_.verify();  // exactly the two info requests, nothing else
    ASSERT_EQ(3, modules().row_count());
    const QStringList row1 = {"5", "VX Lumo", "3", "5", "1", "261"};
    for (int col = 0; col < row1.size(); ++col) {
        EXPECT_EQ(row1[col], modules().cell(col, 1)) << "column " << col;
    }
    EXPECT_EQ("1", modules().cell(6, 1));   // Point 0
    EXPECT_EQ("0", modules().cell(7, 1));   // Point 1
    EXPECT_EQ("1", modules().cell(14, 1));  // Point 8
    EXPECT_EQ("9", modules().cell(0, 2));
    EXPECT_EQ("!!! VX In16 !!!", modules().cell(1, 2));
    EXPECT_EQ("Не активен", modules().cell(2, 2));
    EXPECT_EQ("0", modules().cell(5, 2));
    EXPECT_TRUE(stamped(panel(5), kDone));
    EXPECT_TRUE(main_->Button1->isEnabled());

    // The same refresh without the window: each step's text before its request.
    script_module_refresh(fake_, script);
    QStringList statuses;
    const ui::ModuleRefresh refresh = ui::read_module_table(
        context_->connection(), [&](const QString& text) { statuses << text; });
    fake_.verify();
    EXPECT_EQ(ui::ModuleRefreshOutcome::done, refresh.outcome);
    EXPECT_EQ(2u, refresh.rows.size());
    EXPECT_EQ((QStringList{"Идет запрос типов модулей...",
                           "Идет запрос состояния входов-выходов модулей...",
                           "Идет запрос информации о работоспособности модулей...",
                           "Идет запрос информации о версии модуля №5...",
                           "Идет запрос информации о версии модуля №9..."}),
              statuses);
}

TEST_F(ConnectedFormTest, ReconnectAfterTheControllerClosedAsksTheVersionAgain) {
    start();
    fake_.close_connection();  // the controller restarts
    fake_.expect(version_request()).reply(version_reply(2, 16));
    main_->Reconnect1->trigger();
    fake_.verify();
    EXPECT_EQ("Открыто", panel(1));
    EXPECT_EQ("2.16", panel(3));
    EXPECT_TRUE(prompts_.messages().isEmpty());
}

TEST_F(ConnectedFormTest, RowsThisRefreshDidNotFillAreEmptied) {
    start();
    ModuleScript full;
    full.count = 3;
    for (int j : {0, 1, 2}) {
        full.types[j] = 1;
        full.infos.push_back({j + 1, 1, 1, 0});
    }
    script_module_refresh(fake_, full);
    main_->Button1Click();
    fake_.verify();
    EXPECT_EQ("3", modules().cell(0, 3));

    // The count still says 3, but only address 2 has a module now.
    ModuleScript fewer;
    fewer.count = 3;
    fewer.types[1] = 1;
    fewer.infos = {{2, 1, 1, 0}};
    script_module_refresh(fake_, fewer);
    main_->Button1Click();
    fake_.verify();
    ASSERT_EQ(4, modules().row_count());
    EXPECT_EQ("2", modules().cell(0, 1));
    for (int row : {2, 3}) {
        for (int col = 0; col < 22; ++col) {
            EXPECT_EQ("", modules().cell(col, row)) << "column " << col << " row " << row;
        }
    }
}

TEST_F(ConnectedFormTest, ModuleCountsZeroAndOneKeepOneDataRow) {
    start();
    ModuleScript one;
    one.count = 1;
    one.types[0] = 1;
    one.infos = {{1, 1, 1, 0}};
    script_module_refresh(fake_, one);
    main_->Button1Click();
    fake_.verify();
    EXPECT_EQ(2, modules().row_count());
    EXPECT_EQ("1", modules().cell(0, 1));

    script_module_refresh(fake_, ModuleScript{});  // count 0: nothing more is asked
    main_->Button1Click();
    fake_.verify();
    EXPECT_EQ(2, modules().row_count());
    EXPECT_TRUE(stamped(panel(5), " В системе нет модулей"));
    EXPECT_EQ("", modules().cell(0, 1));  // the old module is not left on show
}

TEST_F(ConnectedFormTest, FailedTableRequestLeavesTheConnectionPanel) {
    start();
    fake_.expect(packet("51 03 00 00 00 00 00")).reply(module_count_reply(1));
    fake_.expect(bytes("2A 00 00 01 B0 00 94 27")).reply(bytes("2A 00"));  // short
    fake_.close_connection();
    main_->Button1Click();
    fake_.verify();
    EXPECT_TRUE(stamped(panel(5), kFailed));
    EXPECT_EQ("Открыто", panel(1));  // this path leaves panel 1 alone
}

const QString kResetQuestion =
    QStringLiteral("Сбрость значения всех таймеров и переменных после загрузки программы?");
const QString kLoadQuestion = QStringLiteral(
    "Процедура загрузки программы может занять несколько минут.\nВо время загрузки VX "
    "Configurator не сможет реагировать на действия пользователя.\nНачать загрузку?");

TEST_F(ConnectedFormTest, ProgramLoadAsksThenLoadsWithoutReset) {
    start();
    TempDir dir;
    const auto file = dir.write("heat.prg.cpl", Bytes(1500, 0x11));
    prompts_.answer_file(QString::fromStdString(file.string())).answer_no().answer_yes();
    script_transfer(fake_, 0x08, 1500, 0);
    main_->N6->trigger();
    fake_.verify();  // no reset request
    ASSERT_EQ(4u, prompts_.records().size());
    const RecordedPrompt& dialog = prompts_.records()[0];
    EXPECT_EQ(PromptKind::open_file, dialog.kind);
    EXPECT_EQ("Program file (*.prg.cpl)|*.prg.cpl", dialog.file_request.filter);
    EXPECT_TRUE(dialog.file_request.directory.endsWith("/program/"));
    EXPECT_EQ(kResetQuestion, prompts_.records()[1].text);
    EXPECT_EQ(kLoadQuestion, prompts_.records()[2].text);
    EXPECT_EQ("Программа успешно загружена.", prompts_.records()[3].text);
    EXPECT_EQ("", panel(5));
    EXPECT_TRUE(prompts_.all_answers_used());
}

TEST_F(ConnectedFormTest, CancelledDialogsNoAndUnsendableFilesSendNothing) {
    start();
    prompts_.cancel_file_dialog().cancel_file_dialog();
    main_->N6Click();
    main_->N10Click();
    TempDir dir;
    const auto file = QString::fromStdString(dir.write("a.upd", Bytes(10)).string());
    prompts_.answer_file(file).answer_yes().answer_no();  // program: reset yes, load no
    main_->N6Click();
    prompts_.answer_file(file).answer_no();
    main_->N10Click();
    EXPECT_TRUE(prompts_.messages().isEmpty());
    EXPECT_EQ("Update file (*.upd)|*.upd", prompts_.records()[1].file_request.filter);

    // A file that is empty or can't be read gets its box at once: no question, no
    // transfer and, for firmware, no reboot.
    std::filesystem::create_directory(dir.file("folder.upd"));
    const struct {
        void (ui::Tmain_form::*click)();
        std::filesystem::path file;
        const char* box;
    } refused[] = {
        {&ui::Tmain_form::N10Click, dir.write("empty.upd", Bytes{}),
         "Файл пуст, в контроллер ничего не передано."},
        {&ui::Tmain_form::N6Click, dir.write("empty.prg.cpl", Bytes{}),
         "Файл пуст, в контроллер ничего не передано."},
        {&ui::Tmain_form::N10Click, dir.file("folder.upd"), "Ошибка при открытии файла."},
        {&ui::Tmain_form::N6Click, dir.file("missing.prg.cpl"), "Ошибка при открытии файла."},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.file.string());
        prompts_.clear_records();
        prompts_.answer_file(QString::fromStdString(row.file.string()));
        ((*main_).*row.click)();
        ASSERT_EQ(2u, prompts_.records().size());  // the file dialog and the box
        EXPECT_EQ(PromptKind::message, prompts_.records()[1].kind);
        EXPECT_EQ(QString::fromUtf8(row.box), prompts_.records()[1].text);
    }
    fake_.verify();                          // any request would be a problem
    EXPECT_EQ(1u, fake_.requests().size());  // the version request of the start only
}

TEST_F(ConnectedFormTest, TransferDisablesOnlyTheConflictingCommands) {
    start();
    TempDir dir;
    const auto file = QString::fromStdString(dir.write("big.upd", Bytes(3000, 1)).string());
    script_transfer(fake_, 0x0A, 3000, 0);
    fake_.expect(packet("51 0F 00 00 00 00 00")).echo();
    QDialog modal(main_.get()), modeless(main_.get());
    main_->attach_form(main_->N2, &modal, ui::ShowMode::modal);
    main_->attach_form(main_->N11, &modeless, ui::ShowMode::modeless);
    std::map<QString, bool> during;
    QTimer::singleShot(0, main_.get(), [&] {
        for (QAction* item : {main_->N6, main_->N10, main_->N16, main_->N17, main_->N20, main_->N2,
                              main_->N11, main_->Reconnect1}) {
            during[item->objectName()] = item->isEnabled();
        }
        during["Button1"] = main_->Button1->isEnabled();
        during["Button2"] = main_->Button2->isEnabled();
        during["progress"] = main_->transfer_progress->isVisibleTo(main_.get());
        main_->close();  // answered Нет: the window stays and the transfer goes on
    });
    prompts_.answer_file(file).answer_yes().answer_no();
    main_->N10Click();
    fake_.verify();
    EXPECT_TRUE(main_->isVisible());
    EXPECT_EQ(QStringLiteral("Идёт загрузка прошивки. Прервать загрузку и закрыть программу?"),
              prompts_.texts().value(2));
    EXPECT_TRUE(stamped(panel(5), kReconnectHint));  // the controller restarts now
    const std::map<QString, bool> expected = {
        {"N6", false},        {"N10", false},    {"N16", false},    {"N17", false},
        {"N20", true},        {"Button1", true}, {"Button2", true}, {"progress", true},
        {"N2", false},        {"N11", true},  // a modal window would stall the transfer
        {"Reconnect1", false}};
    EXPECT_EQ(expected, during);
    for (QAction* item : {main_->N6, main_->N10, main_->N16, main_->N17, main_->N2}) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    EXPECT_FALSE(main_->transfer_progress->isVisibleTo(main_.get()));
}

TEST_F(ConnectedFormTest, ClosingTheWindowAsksThenEndsAProgramLoad) {
    start();
    TempDir dir;
    const auto file = QString::fromStdString(dir.write("p.prg.cpl", Bytes(4096, 2)).string());
    fake_.expect(packet("51 08 00 00 10 00 00")).echo();
    fake_.expect_any(1028).echo(8);
    fake_.expect_any(1028).echo(8);
    // Closing after the first packet is answered Нет, after the second Да.
    QObject::connect(main_->transfer_progress, &QProgressBar::valueChanged, main_.get(),
                     [this](int position) {
                         if (position == 1024 || position == 2048) {
                             main_->close();
                         }
                     });
    prompts_.answer_file(file).answer_no().answer_yes().answer_no().answer_yes();
    main_->N6Click();
    fake_.verify();  // two data packets, then nothing: no further packet, no closing packet
    EXPECT_EQ(4u, fake_.requests().size());  // version, size, two data packets
    EXPECT_TRUE(prompts_.messages().isEmpty());
    const QString question =
        QStringLiteral("Идёт загрузка программы. Прервать загрузку и закрыть программу?");
    EXPECT_EQ((QStringList{question, question}), prompts_.texts().mid(3));
    EXPECT_FALSE(vx::is_connected(context_->connection()));

    main_->close();  // no transfer: nothing is asked
    EXPECT_EQ(5, prompts_.texts().size());
}

TEST_F(ConnectedFormTest, RebootReportsWhetherTheControllerEchoed) {
    start();
    const QString question = QStringLiteral(
        "Процедура перезагрузки контроллера программы может занять несколько минут.\nВо время "
        "перезагрузки контроллер не сможет управлять системой автоматизации.\nНачать "
        "перезагрузку?");
    fake_.expect(packet("51 0F 00 00 00 00 00")).echo();
    prompts_.answer_yes();
    main_->N16Click();
    EXPECT_TRUE(stamped(panel(5), kReconnectHint));
    fake_.expect(packet("51 0F 00 00 00 00 00")).reply(packet("51 0F 01 00 00 00 00"));
    prompts_.answer_yes();
    main_->N16Click();
    prompts_.answer_no();
    main_->N16Click();
    fake_.verify();
    EXPECT_EQ((QStringList{question,
                           "Процедура перезагрузки контроллера начата.\nПожалуйста, закройте "
                           "программу и попробуйте загрузить ее через несколько минут(3-5).\n"
                           "Можно и не закрывать программу: когда контроллер запустится, "
                           "выберите Утилиты → Подключиться к контроллеру.",
                           question, "Контроллер не отвечает.", question}),
              prompts_.texts());
    EXPECT_EQ(PromptIcon::information, prompts_.records()[1].icon);
    EXPECT_EQ(PromptIcon::error, prompts_.records()[3].icon);
}

TEST_F(ConnectedFormTest, RescanShowsNothingWhateverTheReply) {
    start();
    fake_.expect(packet("C8 20 00 00 00 00 00")).reply(bytes("06 00 06"));
    main_->N20->trigger();
    fake_.expect(packet("C8 20 00 00 00 00 00")).reply(bytes("06 00 05"));
    main_->N20Click();
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());
}

}  // namespace
}  // namespace vx::test
