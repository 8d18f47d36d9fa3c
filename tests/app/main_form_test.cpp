// The main window without a controller: start-up boxes, caption, menu,
// settings, attached windows and the manual.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "main_form_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/check_list_dialog.h"
#include "ui/string_grid.h"

namespace vx::test {

namespace {

const QString kPortWarning = QStringLiteral(
    "Порт закрыт или уже открыт другой программой.\nПрограмма будет загружена, но может "
    "работать некорректно.");

TEST_F(MainFormTest, StartsWithoutControllerShowingTwoBoxesInOrder) {
    create(no_controller_.port());
    show();
    ASSERT_EQ(2u, prompts_.records().size());
    EXPECT_EQ(kPortWarning, prompts_.records()[0].text);
    EXPECT_EQ("Предупреждение", prompts_.records()[0].caption);
    EXPECT_EQ("Нет ответа от контроллера.", prompts_.records()[1].text);
    EXPECT_EQ("Предупреждение", prompts_.records()[1].caption);
    EXPECT_EQ("Отсутствует", panel(1));
    EXPECT_EQ("", panel(3));
    EXPECT_EQ("Соединение", panel(0));
    EXPECT_EQ("Версия контроллера", panel(2));
    EXPECT_EQ("Загрузка данных", panel(4));
    EXPECT_EQ("Конфигуратор контроллера Vesta VX v.5.3.3.158", main_->windowTitle());

    // Connecting again with still nobody listening says so the same way.
    main_->Reconnect1->trigger();
    ASSERT_EQ(3u, prompts_.records().size());
    EXPECT_EQ("Нет ответа от контроллера.", prompts_.records()[2].text);
    EXPECT_EQ("Отсутствует", panel(1));
}

TEST_F(MainFormTest, FirstShowingHappensOnce) {
    create(no_controller_.port());
    show();
    main_->hide();
    show();
    EXPECT_EQ(2u, prompts_.records().size());
}

TEST_F(MainFormTest, MenuHasItsCaptionsAndFixedStates) {
    create(no_controller_.port());
    const struct {
        const char* name;
        const char* caption;
        bool visible;
        bool enabled;
    } items[] = {
        {"N1", "Утилиты", true, true},
        {"N2", "Мастер адресации модулей...", true, false},
        {"N5", "Редактор программ", true, false},
        {"Reconnect1", "Подключиться к контроллеру", true, true},
        {"Backup1", "Резервная копия конфигурации...", true, false},
        {"ExchangeMonitor1", "Монитор обмена...", true, false},
        {"N4", "Операции", true, true},
        {"N3", "Настройка параметров контроллера...", true, false},
        {"N12", "Начальные значения переменных при загрузке контроллера...", true, false},
        {"N21", "Частота опроса модулей по протоколу Tarnet...", true, false},
        {"X101", "Информация контроллера о модулях X10...", false, false},
        {"N11", "Изменение значения переменной...", true, false},
        {"N6", "Загрузка программы в контроллер...", true, true},
        {"N10", "Загрузка прошивки...", true, true},
        {"N16", "Перезагрузка контроллера...", true, true},
        {"N17", "Выключение контроллера...", true, true},
        {"N20", "Повторный поиск активных модулей по протоколу Tarnet", true, true},
        {"N8", "Управление модулями", true, true},
        {"N18", "- Модули (протокол Tarnet+) -", true, false},
        {"Parlo1", "Kordel.Parlo...", false, false},
        {"S1", "Управление дискретными выходами...", true, false},
        {"VX2o1", "Управление аналоговыми выходами...", true, false},
        {"N24", "Управление терморегулятором...", true, false},
        {"N19", "Изменение параметров модуля...", true, false},
        {"ModBus2", "- Модули (протокол ModBus) -", true, false},
        {"ModBus1", "Изменение регистров модуля...", true, false},
        {"N9", "На\u0063тройки программы", true, false},  // with a Latin c
        {"N7", "О программе", true, true},
        {"N22", "Инструкция...", true, true},
        {"N23", "О программе...", true, false},
        {"SupportReport1", "Отчёт для поддержки...", true, true},
    };
    for (const auto& item : items) {
        SCOPED_TRACE(item.name);
        auto* action = main_->findChild<QAction*>(item.name);
        ASSERT_NE(nullptr, action);
        EXPECT_EQ(QString::fromUtf8(item.caption), action->text());
        EXPECT_EQ(item.visible, action->isVisible());
        EXPECT_EQ(item.enabled, action->isEnabled());
    }
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_P), main_->N20->shortcut());
    for (const char* divider : {"N13", "N15", "N14"}) {
        SCOPED_TRACE(divider);
        auto* action = main_->findChild<QAction*>(divider);
        ASSERT_NE(nullptr, action);
        EXPECT_TRUE(action->isSeparator());
    }
}

// The report shows what it will hold, is written where the user chose with the sections
// left in, a controller that can't be reached recorded as such, and says where it went.
TEST_F(MainFormTest, SupportReportIsWrittenWithTheChosenSectionsAndTheControllersError) {
    create(no_controller_.port());
    TempDir dir;
    const QString path = QString::fromStdString((dir.path() / "report.json").string());
    prompts_.clear_records();
    prompts_.cancel_items();
    main_->SupportReport1->trigger();
    ASSERT_EQ(1u, prompts_.records().size());  // no file dialog after Cancel
    const CheckListRequest shown = prompts_.records()[0].check_list;
    EXPECT_EQ(4, shown.items.size());
    EXPECT_EQ((QList<bool>{true, true, true, true}), shown.checked);
    EXPECT_TRUE(shown.items[1].endsWith("(файл properties.ini)")) << shown.items[1].toStdString();

    prompts_.clear_records();
    prompts_.answer_items({true, false, false, true}).answer_file(path);
    main_->SupportReport1->trigger();
    ASSERT_EQ(3u, prompts_.records().size());
    EXPECT_TRUE(prompts_.records()[1].file_request.file_name.startsWith("vx-support-"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(
        report.contains("\"cycle_delay\": {\n    \"error\": \"Нет ответа от контроллера.\""))
        << report.left(2000).toStdString();
    EXPECT_TRUE(report.contains("\"left_out\": [\n    \"settings\",\n    \"variables\"\n  ]"));
    EXPECT_TRUE(report.contains("\"exchange_log\": ["));
    EXPECT_FALSE(report.contains(dir.path().string().c_str()));
    EXPECT_EQ(QStringLiteral("Отчёт для поддержки сохранён в файл\n%1\n(%2 КБ).")
                  .arg(QDir::toNativeSeparators(path))
                  .arg((file.size() + 1023) / 1024),
              prompts_.messages().value(0));

    // The dialog the program shows for the list: a box per item, read back as ticked.
    ui::CheckListDialog dialog(shown);
    ASSERT_EQ(4, dialog.boxes.size());
    EXPECT_EQ(shown.items[2], dialog.boxes[2]->text());
    dialog.boxes[0]->setChecked(false);
    EXPECT_EQ((QList<bool>{false, true, true, true}), dialog.checked());
    EXPECT_EQ("Сохранить...", dialog.accept_button->text());
}

TEST_F(MainFormTest, AttachedWindowsAreShownByTheirItems) {
    create(no_controller_.port());
    QDialog modeless(main_.get());
    main_->attach_form(main_->N11, &modeless, ui::ShowMode::modeless);
    EXPECT_TRUE(main_->N11->isEnabled());
    main_->N11->trigger();
    EXPECT_TRUE(modeless.isVisible());
    EXPECT_FALSE(modeless.isModal());

    // A fixed disabled item stays disabled, whatever is attached to it.
    QDialog settings_dialog(main_.get());
    main_->attach_form(main_->N9, &settings_dialog, ui::ShowMode::modal);
    EXPECT_FALSE(main_->N9->isEnabled());
}

TEST_F(MainFormTest, FirstShowingFillsTheRegisteredWindows) {
    write_settings("[AutoLoad]\nComPortNumber=7\n");
    create(no_controller_.port());
    EXPECT_EQ(7, context_->com_port_number());
    QDialog about, settings_dialog;
    auto* label6 = new QLabel("Нет данных", &about);
    label6->setObjectName("Label6");
    auto* ud = new QSpinBox(&settings_dialog);
    ud->setObjectName("ud");
    ud->setRange(1, 20);
    QObject::connect(main_.get(), &ui::Tmain_form::library_version_read, label6, &QLabel::setText);
    QObject::connect(main_.get(), &ui::Tmain_form::com_port_number_read, ud, &QSpinBox::setValue);
    show();
    EXPECT_EQ(7, ud->value());
    EXPECT_EQ("1.1", label6->text());
}

TEST_F(MainFormTest, WithoutSettingsFileThePortNumberIsOne) {
    create(no_controller_.port());
    EXPECT_EQ(1, context_->com_port_number());
    // Whether /dev/ttyS0 opens depends on the machine; either way nothing is shown.
    EXPECT_EQ(1u, prompts_.records().size());  // only the connection warning
}

TEST_F(MainFormTest, SelectingAVariableShowsItsNumberInTheCorner) {
    create(no_controller_.port());
    main_->sg1->select_cell(16, 64);
    EXPECT_EQ("Variable[1023]", main_->sg1->cell(0, 0));
    main_->sg1->select_cell(1, 1);
    EXPECT_EQ("Variable[0]", main_->sg1->cell(0, 0));

    // Ctrl adds cells to the selection; the context menu's item hands their variables on.
    std::vector<std::vector<int>> requested;
    QObject::connect(main_.get(), &ui::Tmain_form::watch_requested,
                     [&](const std::vector<int>& variables) { requested.push_back(variables); });
    for (const ui::GridCell cell : {ui::GridCell{5, 2}, ui::GridCell{2, 1}}) {
        QWidget* viewport = main_->sg1->viewport();
        const QModelIndex at = main_->sg1->model()->index(cell.row - 1, cell.col - 1);
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                          main_->sg1->visualRect(at).center());
    }
    EXPECT_EQ("Variable[1]", main_->sg1->cell(0, 0));
    ASSERT_TRUE(main_->sg1->actions().contains(main_->AddToWatch1));
    EXPECT_EQ("Добавить в наблюдение", main_->AddToWatch1->text());
    main_->AddToWatch1->trigger();
    main_->sg1->clearSelection();
    main_->AddToWatch1->trigger();  // nothing selected: nothing requested
    EXPECT_EQ((std::vector<std::vector<int>>{{0, 1, 20}}), requested);
}

TEST_F(MainFormTest, ManualOpensWhenPresentAndIsReportedWhenMissing) {
    create(no_controller_.port());
    prompts_.clear_records();
    const QString manual = QDir(dir_.path()).filePath("Docs/vxconfig_prog_manual_5_3_3.pdf");
    main_->N22Click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Ошибка", prompts_.records()[0].caption);
    EXPECT_EQ("Файл не найден.\n" + manual, prompts_.records()[0].text);

    QDir(dir_.path()).mkpath("Docs");
    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    prompts_.clear_records();
    main_->N22Click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ(PromptKind::desktop, prompts_.records()[0].kind);
    EXPECT_EQ(QUrl::fromLocalFile(manual), prompts_.records()[0].url);

    prompts_.set_desktop_opens(false);  // no viewer: the same error box
    prompts_.clear_records();
    main_->N22Click();
    EXPECT_EQ(QStringList{"Файл не найден.\n" + manual}, prompts_.messages());
}

// The controller's end of a pseudo-terminal: answers one request with reply.
class PtyController {
public:
    PtyController() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
    }
    ~PtyController() {
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(master_);
    }
    QString device() const { return QString::fromLocal8Bit(::ptsname(master_)); }
    void answer(std::vector<uint8_t> reply) {
        thread_ = std::thread([this, reply] {
            while (request_.size() < 8) {
                pollfd ready{master_, POLLIN, 0};
                if (::poll(&ready, 1, 4000) <= 0) {
                    return;
                }
                uint8_t byte = 0;
                if (::read(master_, &byte, 1) == 1) {
                    request_.push_back(byte);
                }
            }
            ::write(master_, reply.data(), reply.size());
        });
    }
    std::vector<uint8_t> request() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return request_;
    }

private:
    int master_ = -1;
    std::thread thread_;
    std::vector<uint8_t> request_;
};

const QString kShutdownQuestion = QStringLiteral(
    "Процедура выключения может занять несколько минут.\nДля его повторного вклчения необходимо "
    "будет нажать кнопку включения на самом контроллере.\nНачать отключение?");

TEST_F(MainFormTest, ShutdownGoesOverTheSerialPortOfTheSettings) {
    PtyController controller;
    write_settings(
        "[AutoLoad]\nComPortNumber=3\nComPortDevice=" + controller.device().toLocal8Bit() + "\n");
    create(no_controller_.port());
    ASSERT_NE(nullptr, context_->serial_port());
    prompts_.clear_records();

    const std::vector<uint8_t> request = {0x51, 0x10, 0, 0, 0, 0, 0, 0x61};
    controller.answer(request);
    prompts_.answer_yes();
    main_->N17Click();
    EXPECT_EQ(request, controller.request());
    EXPECT_EQ((QStringList{kShutdownQuestion, "Процедура отключения контроллера начата."}),
              prompts_.texts());
    EXPECT_EQ(PromptIcon::information, prompts_.records()[1].icon);
}

TEST_F(MainFormTest, ShutdownFailuresShowThatTheControllerDoesNotAnswer) {
    PtyController controller;
    write_settings("[AutoLoad]\nComPortDevice=" + controller.device().toLocal8Bit() + "\n");
    create(no_controller_.port());
    prompts_.clear_records();
    controller.answer({0x51, 0x10, 0, 0, 0, 0, 1, 0x62});  // not the echo
    prompts_.answer_yes();
    main_->N17Click();
    ASSERT_EQ(2u, prompts_.records().size());
    EXPECT_EQ("Контроллер не отвечает.", prompts_.records()[1].text);
    EXPECT_EQ(PromptIcon::error, prompts_.records()[1].icon);

    // Answering No sends nothing and shows nothing more.
    prompts_.clear_records();
    prompts_.answer_no();
    main_->N17Click();
    EXPECT_EQ(QStringList{kShutdownQuestion}, prompts_.texts());
}

TEST_F(MainFormTest, ShutdownWithoutPortFailsAtOnce) {
    write_settings("[AutoLoad]\nComPortDevice=/nonexistent/tty\n");
    create(no_controller_.port());
    EXPECT_EQ(nullptr, context_->serial_port());
    prompts_.clear_records();
    prompts_.answer_yes();
    main_->N17Click();
    EXPECT_EQ((QStringList{kShutdownQuestion, "Контроллер не отвечает."}), prompts_.texts());
}

}  // namespace
}  // namespace vx::test
