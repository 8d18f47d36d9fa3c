// The configuration backup window against the controller simulator: a saved copy,
// changes found by a comparison, written back by a restore; bad files and Stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/forms.h"
#include "commissioning/configuration_file.h"
#include "dialogs/backup_window.h"
#include "support/ui/sim_window_fixture.h"

namespace vx::test {
namespace {

class BackupAgainstSimulator : public SimWindowTest {
protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        start_simulator();
        open_context(sim_->port(), true);
        window_ = std::make_unique<ui::BackupWindow>(*context_);
        window_->ReadModulesClick();
        ASSERT_GT(window_->modules_list->count(), 0);
    }
    void TearDown() override {
        window_.reset();
        SimWindowTest::TearDown();
    }
    std::set<QString> sections() const {
        std::set<QString> found;
        for (int r = 0; r < window_->differences->rowCount(); ++r)
            found.insert(window_->differences->item(r, 0)->text());
        return found;
    }
    // Parameters of module 1 only: reading every module's 256 takes long.
    void save_copy(const QString& file) {
        for (int i = 0; i < window_->modules_list->count(); ++i) {
            QListWidgetItem* item = window_->modules_list->item(i);
            item->setCheckState(item->data(Qt::UserRole).toInt() == 1 ? Qt::Checked
                                                                      : Qt::Unchecked);
        }
        prompts_.answer_file(file);
        window_->SaveClick();
        ASSERT_EQ(1u, prompts_.records().size());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^vx-config-\\d{8}-\\d{4}\\.json$"))
                        .match(prompts_.records()[0].file_request.file_name)
                        .hasMatch());
        prompts_.clear_records();
    }

    // The command line's exit code, over the same simulator.
    int vxctl(const QStringList& args) const {
        return QProcess::execute(QStringLiteral(VXCTL_PATH),
                                 QStringList{"--port", QString::number(sim_->port())} + args);
    }

    std::unique_ptr<ui::BackupWindow> window_;
};

TEST_F(BackupAgainstSimulator, CompareFindsTheChangesAndRestoreWritesThemBack) {
    const QString copy = path("copy.json");
    save_copy(copy);
    commissioning::Configuration saved;
    ASSERT_EQ("", commissioning::load_configuration(copy.toStdString(), saved));
    ASSERT_EQ(1u, std::count_if(saved.modules->begin(), saved.modules->end(),
                                [](const auto& m) { return m.parameters.has_value(); }));

    EXPECT_EQ(0, vxctl({"compare", copy}));  // the window's file, read by the command line

    ControllerConnection& c = context_->connection();
    for (int variable : {12, 13, 14}) {
        ASSERT_EQ(kDone, vx::write_start_value(c, variable, 777));
    }
    ASSERT_EQ(kDone, vx::write_module_parameter(c, 1, 16, 99));
    const int mysql = saved.services->at(1) ? 0 : 1;
    ASSERT_EQ(mysql, vx::set_service_state(c, 1, mysql));

    // Progress is told in words: sections and modules, never places in the file.
    QStringList steps;
    QObject::connect(window_->progress, &QProgressBar::valueChanged,
                     [&] { steps << window_->step_label->text(); });
    prompts_.answer_file(copy);
    window_->CompareClick();
    EXPECT_EQ(5, window_->differences->rowCount());
    EXPECT_EQ((std::set<QString>{"Начальные значения переменных", "Параметры модулей", "Службы"}),
              sections());
    EXPECT_FALSE(window_->write_button->isEnabled());

    // The same changes between the copy and a second file, without asking the controller.
    const QString changed = path("changed.json");
    ASSERT_EQ(0, vxctl({"backup", changed, "--modules", "1"}));
    prompts_.answer_file(copy);
    prompts_.answer_file(changed);
    window_->CompareFilesClick();
    EXPECT_EQ(5, window_->differences->rowCount());
    EXPECT_EQ("Во втором файле", window_->differences->horizontalHeaderItem(3)->text());
    EXPECT_EQ("777", window_->differences->item(0, 3)->text());
    EXPECT_FALSE(window_->write_button->isEnabled());

    prompts_.answer_file(copy);
    window_->RestoreClick();
    ASSERT_EQ(5, window_->differences->rowCount());
    window_->differences->item(3, 0)->setCheckState(Qt::Unchecked);  // module 1's parameter 16
    // "Нет" writes nothing; the question counts the ticked rows of each section.
    prompts_.answer_no();
    window_->WriteClick();
    EXPECT_EQ(
        "Будет записано в контроллер: Начальные значения переменных — 3 строки, Службы — 1 "
        "строка. Продолжить?",
        prompts_.records().back().text.toStdString());
    EXPECT_EQ(777, sim_->with_state([](sim::ControllerState& s) { return s.start_value(12); }));
    EXPECT_TRUE(window_->write_button->isEnabled());
    prompts_.answer_yes();
    window_->WriteClick();
    // The controller column holds what was read back; the unticked row still differs.
    const QFontMetrics metrics(window_->differences->font());
    const QBrush unmarked = window_->differences->item(0, 3)->foreground();
    for (int r = 0; r < 5; ++r) {
        QTableWidgetItem* result = window_->differences->item(r, 4);
        EXPECT_EQ(r == 3 ? "не записано" : "проверено", result->text().toStdString()) << r;
        EXPECT_EQ(r == 3 ? "99" : window_->differences->item(r, 2)->text(),
                  window_->differences->item(r, 3)->text())
            << r;
        EXPECT_EQ(r == 3, window_->differences->item(r, 3)->foreground() != unmarked) << r;
        EXPECT_LE(metrics.horizontalAdvance(result->text()), window_->differences->columnWidth(4));
    }
    EXPECT_EQ(
        "Записано и проверено: 4, ошибок: 0, не записано: 1.\nПосле записи отличаются от "
        "файла: 1 строка.",
        window_->summary->text().toStdString());
    for (const QString& step : steps) {
        EXPECT_FALSE(step.contains('[') || step.contains(']')) << step.toStdString();
    }
    EXPECT_TRUE(steps.contains("Начальные значения переменных — Переменная 13"));

    prompts_.answer_file(copy);
    window_->CompareClick();
    EXPECT_EQ(1, window_->differences->rowCount());
    prompts_.answer_file(copy);
    window_->RestoreClick();
    prompts_.answer_yes();
    window_->WriteClick();
    prompts_.answer_file(copy);
    window_->CompareClick();
    EXPECT_EQ(0, window_->differences->rowCount());
    EXPECT_EQ("Конфигурация контроллера совпадает с файлом.",
              window_->summary->text().toStdString());

    const QString from_command_line = path("vxctl.json");
    ASSERT_EQ(0, vxctl({"backup", from_command_line, "--modules", "1"}));
    prompts_.answer_file(from_command_line);
    window_->CompareClick();
    EXPECT_EQ("Конфигурация контроллера совпадает с файлом.",
              window_->summary->text().toStdString());
    EXPECT_TRUE(prompts_.messages().isEmpty()) << prompts_.messages().join('|').toStdString();
}

// The serial link is open but nothing answers on it, and a registered module is
// silent on the bus: the copy holds the rest, names both, and blames neither on the
// controller.
TEST_F(BackupAgainstSimulator, SilentSerialLinkAndInactiveModuleLeaveOnlyTheirPart) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    name_serial_device(::ptsname(master));
    window_.reset();
    open_context(sim_->port(), true).open_serial_port();
    ASSERT_NE(nullptr, context_->serial_port());
    const int silent = 57;  // registered, not active in the simulator's house
    window_ = std::make_unique<ui::BackupWindow>(*context_);
    window_->ReadModulesClick();
    ASSERT_TRUE(window_->x10_box->isChecked());
    for (int i = 0; i < window_->modules_list->count(); ++i) {
        QListWidgetItem* item = window_->modules_list->item(i);
        const int address = item->data(Qt::UserRole).toInt();
        item->setCheckState(address == 1 || address == silent ? Qt::Checked : Qt::Unchecked);
    }
    const QString copy = path("copy.json");
    prompts_.answer_file(copy);
    window_->SaveClick();
    ::close(master);

    EXPECT_TRUE(prompts_.messages().isEmpty()) << prompts_.messages().join('|').toStdString();
    EXPECT_EQ(window_->progress->maximum(), window_->progress->value());
    commissioning::Configuration saved;
    ASSERT_EQ("", commissioning::load_configuration(copy.toStdString(), saved));
    EXPECT_FALSE(saved.x10.has_value());
    EXPECT_TRUE(saved.services && saved.start_values && saved.poll_frequencies);
    EXPECT_TRUE(saved.module_at(1) && saved.module_at(1)->parameters);
    EXPECT_TRUE(saved.module_at(silent) && !saved.module_at(silent)->parameters);
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(R"("not_read": ["modules[57].parameters","x10"])"));
    const QString summary = window_->summary->text();
    EXPECT_TRUE(summary.contains(copy)) << summary.toStdString();
    EXPECT_TRUE(
        summary.contains("Таблицы X10: нет ответа по последовательному порту, раздел не сохранён."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Модуль 57 (") && summary.contains("): Не активен"))
        << summary.toStdString();
    EXPECT_FALSE(summary.contains("контроллер", Qt::CaseInsensitive)) << summary.toStdString();

    // A copy that holds the silent module's parameters: compare and restore name them in words.
    commissioning::Configuration with_silent = saved;
    for (commissioning::ModuleConfiguration& module : *with_silent.modules) {
        if (module.address == silent) {
            module.parameters.emplace(commissioning::kParameterCount, 0);
        }
    }
    const QString older = path("older.json");
    ASSERT_EQ("", commissioning::save_configuration(older.toStdString(), with_silent));
    const std::pair<void (ui::BackupWindow::*)(), const char*> clicks[] = {
        {&ui::BackupWindow::CompareClick, "): параметры не сравнены: Не активен."},
        {&ui::BackupWindow::RestoreClick, "): параметры не записаны: Не активен."}};
    for (const auto& [click, note] : clicks) {
        prompts_.answer_file(older);
        (window_.get()->*click)();
        const QString shown = window_->step_label->text() + '\n' + window_->summary->text();
        EXPECT_TRUE(shown.contains("Параметры модулей — Модуль 57 (") && shown.contains(note))
            << shown.toStdString();
        EXPECT_FALSE(shown.contains('[') || shown.contains(']')) << shown.toStdString();
    }
}

TEST_F(BackupAgainstSimulator, BadFilesGiveABoxAndChangeNothing) {
    // Each file is refused for the one fault it names, the others being right.
    const struct {
        std::string content;
        QString named;  // in the box
    } cases[] = {
        {"not json at all", "bad.json"},
        {R"({"format": "something-else", "format_version": 1})", "\"format\""},
        {R"({"format": "vesta-vx-configuration", "format_version": 2})", "format_version"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "cycle_delay": "slow"})",
         "cycle_delay"},
    };
    for (const auto& [content, named] : cases) {
        dir_.write("bad.json", content);
        for (QPushButton* button :
             {window_->compare_button, window_->compare_files_button, window_->restore_button}) {
            prompts_.clear_records();
            prompts_.answer_file(path("bad.json"));
            button->click();
            ASSERT_EQ(1, prompts_.messages().size()) << content;
            EXPECT_TRUE(prompts_.messages()[0].contains(named))
                << prompts_.messages()[0].toStdString();
            EXPECT_EQ(ui::PromptIcon::error, prompts_.records().back().icon);
            EXPECT_EQ(0, window_->differences->rowCount());
            EXPECT_FALSE(window_->write_button->isEnabled());
        }
    }
    // The reader's own faults in the command line's words: file, line and column.
    dir_.write("bad.json", R"({"format": 1e400})");
    prompts_.clear_records();
    prompts_.answer_file(path("bad.json"));
    window_->CompareClick();
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_TRUE(prompts_.messages()[0].endsWith(
        QStringLiteral("bad.json: строка 1, столбец 12: не разобрать JSON: число вне "
                       "допустимого диапазона")))
        << prompts_.messages()[0].toStdString();
}

TEST_F(BackupAgainstSimulator, StopBetweenRequestsKeepsNothing) {
    bool busy_seen = false;
    QTimer::singleShot(0, window_.get(), [&] {
        busy_seen = !window_->save_button->isEnabled() && window_->stop_button->isEnabled();
        window_->stop_button->click();
    });
    window_->SaveClick();  // no save dialog may follow: none is queued
    EXPECT_TRUE(busy_seen);
    EXPECT_TRUE(prompts_.records().empty());
    EXPECT_EQ("Остановлено.", window_->step_label->text().toStdString());
    EXPECT_TRUE(window_->save_button->isEnabled());
    EXPECT_FALSE(window_->stop_button->isEnabled());
}

// The menu item shows the window modeless, and its first showing lists the modules.
TEST_F(BackupAgainstSimulator, OpenedFromTheUtilitiesMenu) {
    window_.reset();
    close_windows();
    create_all_windows(sim_->port());
    ui::main_form->Backup1->trigger();
    ASSERT_NE(nullptr, ui::config_backup);
    EXPECT_TRUE(ui::config_backup->isVisible());
    EXPECT_FALSE(ui::config_backup->isModal());
    EXPECT_EQ(QStringLiteral("Резервная копия конфигурации"), ui::config_backup->windowTitle());
    EXPECT_GT(ui::config_backup->modules_list->count(), 0);
}

}  // namespace
}  // namespace vx::test
