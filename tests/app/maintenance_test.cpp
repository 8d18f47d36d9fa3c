// Program and firmware loads against the fake controller: packets, progress
// texts, verdict messages, and the requests that follow a verdict.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/maintenance.h"
#include "controller_script.h"
#include "protocol/Socket_func.h"
#include "support/ui/scripted_prompts.h"
#include "tests/support/temp_dir.h"

namespace vx::test {
namespace {

using ui::TransferOutcome;

const QString kInternalError =
    QStringLiteral("Произошла внутренняя ошибка программы VX Configurator.");
const QString kRebootNotice = QStringLiteral(
    "Для завершения процесса обновления прошивки необходимо перезагрузить контроллер.\nЭта "
    "процедура может занять около 5 минут. Пожалуйста, закройте программу, и \nпопытайтесь "
    "подключиться после перезагрузки контроллера.\nМожно и не закрывать программу: когда "
    "контроллер запустится, выберите Утилиты → Подключиться к контроллеру.");

// Records what the transfer shows; stops when asked to after a number of packets.
class RecordingView final : public ui::TransferView {
public:
    void show_transfer_status(const QString& text) override { statuses << text; }
    void show_transfer_progress(int position, int size) override {
        progress.push_back({position, size});
    }
    bool process_events_until_stop() override { return ++packets == stop_after_packets; }

    QStringList statuses;
    std::vector<std::pair<int, int>> progress;
    int packets = 0;
    int stop_after_packets = -1;
};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, vx::connect_to_service(connection_, fake_.port())); }

    QString file_of(std::size_t size) {
        Bytes content(size);
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<uint8_t>(i * 7);
        }
        return QString::fromStdString(dir_.write("file.bin", content).string());
    }
    TransferOutcome program(const QString& path, bool reset) {
        return ui::send_program_file(connection_, prompts_, view_, path, reset);
    }
    TransferOutcome firmware(const QString& path) {
        return ui::send_firmware_file(connection_, prompts_, view_, path);
    }

    FakeController fake_;
    vx::ControllerConnection connection_;
    TempDir dir_;
    ScriptedPrompts prompts_;
    RecordingView view_;
};

TEST_F(TransferTest, ProgramProgressCountsBytesAndIsClearedAtTheEnd) {
    script_transfer(fake_, 0x08, 5000, 0);
    EXPECT_EQ(TransferOutcome::finished, program(file_of(5000), false));
    fake_.verify();
    EXPECT_EQ((QStringList{"1024 / 5000", "2048 / 5000", "3072 / 5000", "4096 / 5000",
                           "5000 / 5000", ""}),
              view_.statuses);
    EXPECT_EQ((std::pair<int, int>{5000, 5000}), view_.progress[view_.progress.size() - 2]);
    EXPECT_EQ(-1, view_.progress.back().second);  // the bar is hidden at the end
    EXPECT_EQ(QStringList{"Программа успешно загружена."}, prompts_.messages());
}

TEST_F(TransferTest, ResetFollowsOnlyASuccessfulLoadAndPrecedesItsMessage) {
    script_transfer(fake_, 0x08, 1025, 0);
    fake_.expect(packet("1D 00 00 00 00 00 00")).echo();
    std::size_t requests_at_message = 0;
    prompts_.on_prompt = [&](const RecordedPrompt&) {
        requests_at_message = fake_.requests().size();
    };
    program(file_of(1025), true);
    fake_.verify();
    EXPECT_EQ(5u, requests_at_message);  // begin, two packets, end, reset
    EXPECT_EQ(QStringList{"Программа успешно загружена."}, prompts_.messages());
}

TEST_F(TransferTest, ProgramVerdictsHaveTheirMessages) {
    const struct {
        int8_t rc;
        QStringList messages;
    } cases[] = {
        {1, {"Программа не загружена из-за ошибок при передаче данных."}},
        {2, {"Ошибка при попытке открытия программного файла для записи."}},
        {3, {"Ошибка при попытке записи в файл."}},
        {4, {"Ошибка при попытке загрузки программного файла интерпретатором контроллера."}},
        {-4, {kInternalError}},
        {9, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rc);
        prompts_.clear_records();
        script_transfer(fake_, 0x08, 1, c.rc);  // no reset request although it was chosen
        program(file_of(1), true);
        fake_.verify();
        EXPECT_EQ(c.messages, prompts_.messages());
    }
}

TEST_F(TransferTest, ProgramWithoutVerdictIsAnInternalError) {
    fake_.expect(packet("51 08 00 00 04 00 00")).echo();
    fake_.expect_any(1028).echo(8);
    fake_.close_connection();  // the closing packet gets no reply
    program(file_of(1024), true);
    fake_.verify();
    EXPECT_EQ(QStringList{kInternalError}, prompts_.messages());
}

TEST_F(TransferTest, FailuresBeforeTheVerdictStopTheTransfer) {
    EXPECT_EQ(TransferOutcome::file_not_read,
              program(dir_.path().c_str() + QString("/none"), false));
    EXPECT_EQ(QStringList{"Ошибка при открытии файла."}, prompts_.messages());
    prompts_.clear_records();
    EXPECT_EQ(TransferOutcome::file_empty, firmware(file_of(0)));  // and no reboot
    EXPECT_EQ(QStringList{"Файл пуст, в контроллер ничего не передано."}, prompts_.messages());
    EXPECT_TRUE(fake_.requests().empty());

    prompts_.clear_records();
    fake_.expect(packet("51 08 00 10 00 00 00")).reply(packet("51 08 00 11 00 00 00"));
    EXPECT_EQ(TransferOutcome::begin_failed, program(file_of(16), false));
    fake_.verify();
    EXPECT_EQ(QStringList{"Контроллер не отвечает или произошла ошибка при задании размера файла"},
              prompts_.messages());

    // The second data packet gets a wrong echo: nothing more is sent.
    prompts_.clear_records();
    fake_.expect(packet("51 0A 00 00 08 00 00")).echo();
    fake_.expect_any(1028).echo(8);
    fake_.expect_any(1028).reply(bytes("51 0A 01 00 00 00 00 00"));
    EXPECT_EQ(TransferOutcome::packet_failed, firmware(file_of(2048)));
    fake_.verify();
    EXPECT_EQ(QStringList{"Ошибка при передаче данных во время загрузки прошивки.\nЗагрузка "
                          "прервана."},
              prompts_.messages());
}

TEST_F(TransferTest, FirmwareProgressGoesByWholeKilobytes) {
    script_transfer(fake_, 0x0A, 2500, 0);
    fake_.expect(packet("51 0F 00 00 00 00 00")).reply(bytes("00 00 00 00 00 00 00 00"));
    firmware(file_of(2500));
    fake_.verify();
    EXPECT_EQ((QStringList{"Идет загрузка обновления (2K.)", "1K / 2K", "2K / 2K", ""}),
              view_.statuses);
    EXPECT_EQ(QStringList{kRebootNotice}, prompts_.messages());
    EXPECT_EQ(PromptIcon::none, prompts_.records().back().icon);
    EXPECT_EQ("Информация", prompts_.records().back().caption);
}

TEST_F(TransferTest, FirmwareVerdictThenNoticeThenReboot) {
    script_transfer(fake_, 0x0A, 100, 1);
    fake_.expect(packet("51 0F 00 00 00 00 00")).echo();
    std::vector<std::size_t> requests_at_prompt;
    prompts_.on_prompt = [&](const RecordedPrompt&) {
        requests_at_prompt.push_back(fake_.requests().size());
    };
    firmware(file_of(100));
    fake_.verify();
    EXPECT_EQ(
        (QStringList{"Прошивка не загружена из-за ошибок при передаче данных.", kRebootNotice}),
        prompts_.messages());
    EXPECT_EQ((std::vector<std::size_t>{3, 3}), requests_at_prompt);  // reboot after both boxes
    EXPECT_EQ(4u, fake_.requests().size());
}

TEST_F(TransferTest, StoppingEndsEitherTransferSilently) {
    fake_.expect(packet("51 08 00 00 0C 00 00")).echo();
    fake_.expect_any(1028).echo(8);
    view_.stop_after_packets = 1;
    EXPECT_EQ(TransferOutcome::stopped, program(file_of(3072), false));
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());

    view_.packets = 0;
    fake_.expect(packet("51 0A 00 00 0C 00 00")).echo();
    fake_.expect_any(1028).echo(8);
    fake_.expect_any(1028).echo(8);
    view_.stop_after_packets = 2;
    EXPECT_EQ(TransferOutcome::stopped, firmware(file_of(3072)));
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());
    EXPECT_EQ(-1, view_.progress.back().second);
}

}  // namespace
}  // namespace vx::test
