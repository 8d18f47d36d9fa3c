// The X10 dialog over a pseudo-terminal pair: the main window opens the slave
// side as its serial port, the test plays the controller on the master side.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "dialogs/Controller_x10_properties_f.h"
#include "support/ui/window_fixture.h"
#include "tests/support/bytes.h"
#include "tests/support/reserved_port.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using ui::Tcontroller_x10_properties;

// The controller on the master side of the pair: reads one 8-byte request per
// reply given, then writes that reply.
class PtyController {
public:
    PtyController() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            slave_path_ = ::ptsname(master_);
        }
    }
    ~PtyController() {
        join();
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    const std::string& slave_path() const { return slave_path_; }

    void answer(std::vector<Bytes> replies) {
        join();
        requests_.clear();
        peer_ = std::thread([this, replies] {
            for (const Bytes& reply : replies) {
                requests_.push_back(read_master(8, 4000));
                if (::write(master_, reply.data(), reply.size()) < 0) {
                    return;
                }
            }
        });
    }
    // The requests read, once the controller has given its replies.
    std::vector<Bytes> requests() {
        join();
        return requests_;
    }
    // Whatever arrives within limit_ms (requests that should not have come).
    Bytes stray_bytes(int limit_ms) {
        join();
        return read_master(64, limit_ms);
    }

private:
    void join() {
        if (peer_.joinable()) {
            peer_.join();
        }
    }
    Bytes read_master(std::size_t count, int limit_ms) {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 20) > 0) {
                uint8_t buffer[64];
                const ssize_t n =
                    ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
                if (n > 0) {
                    got.insert(got.end(), buffer, buffer + n);
                }
            }
        }
        return got;
    }

    int master_ = -1;
    std::string slave_path_;
    std::thread peer_;
    std::vector<Bytes> requests_;
};

// A table reply as the controller sends it: the 8-byte answer, then the table.
Bytes table_reply(int table, const Bytes& entries) {
    Bytes reply = bytes("51 0C 00 00 00 00 00 00");
    reply[2] = static_cast<uint8_t>(table);
    reply.insert(reply.end(), entries.begin(), entries.end());
    return reply;
}

class X10DialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_FALSE(controller_.slave_path().empty());
    }
    void TearDown() override {
        dialog_.reset();
        WindowTest::TearDown();
    }
    // The context with its serial port on device, and the dialog.
    void create(const std::string& device) {
        name_serial_device(device);
        open_context(no_service_.port()).open_serial_port();
        dialog_ = std::make_unique<Tcontroller_x10_properties>(*context_);
        prompts_.clear_records();
    }
    // Every data cell of grid: "Да" where expected says so.
    static void expect_cells(const ui::StringGrid& grid, int house_set, int key_set) {
        for (int house = 0; house < 16; ++house) {
            for (int key = 0; key < 16; ++key) {
                const bool set = house == house_set && key == key_set;
                ASSERT_EQ(set ? "Да" : "", grid.cell(house + 1, key + 1).toStdString())
                    << "house " << house << " key " << key;
            }
        }
    }

    ReservedPort no_service_;
    PtyController controller_;
    std::unique_ptr<Tcontroller_x10_properties> dialog_;
};

TEST_F(X10DialogTest, PagesHeadingsSelectorsAndHint) {
    create(controller_.slave_path());
    EXPECT_EQ("Информация контроллера о модулях X10", dialog_->windowTitle().toStdString());
    ASSERT_EQ(3, dialog_->pc->count());
    EXPECT_EQ("All Units Off", dialog_->pc->tabText(0).toStdString());
    EXPECT_EQ("All Lights On", dialog_->pc->tabText(1).toStdString());
    EXPECT_EQ("All Lights Off", dialog_->pc->tabText(2).toStdString());
    EXPECT_EQ(0, dialog_->pc->currentIndex());
    for (int table = 0; table < 3; ++table) {
        SCOPED_TRACE(table);
        const ui::StringGrid& grid = *dialog_->table_grid(table);
        EXPECT_EQ(17, grid.col_count());
        EXPECT_EQ(17, grid.row_count());
        EXPECT_EQ(45, grid.col_width(1));
        EXPECT_EQ(16, grid.row_height());
        EXPECT_EQ("A", grid.cell(1, 0).toStdString());
        EXPECT_EQ("P", grid.cell(16, 0).toStdString());
        EXPECT_EQ("1", grid.cell(0, 1).toStdString());
        EXPECT_EQ("16", grid.cell(0, 16).toStdString());
        expect_cells(grid, -1, -1);
    }
    EXPECT_EQ(16, dialog_->house_cb->count());
    EXPECT_EQ("A", dialog_->house_cb->currentText().toStdString());
    EXPECT_EQ(16, dialog_->key_cb->count());
    EXPECT_EQ("1", dialog_->key_cb->currentText().toStdString());
    EXPECT_EQ(2, dialog_->state_cb->count());
    EXPECT_EQ("Нет", dialog_->state_cb->currentText().toStdString());
    EXPECT_FALSE(dialog_->house_cb->isEditable());
    EXPECT_EQ(
        "Подсказка: Используя данную страницу можно указать контроллеру модули X10, которые "
        "реагируют на групповые команды.  Это позволит контроллеру более точно отображать "
        "состояние устройств.",
        dialog_->hint->text().toStdString());
}

TEST_F(X10DialogTest, RefreshFillsThePageShownAndKeepsItWithoutAnswer) {
    create(controller_.slave_path());
    dialog_->pc->setCurrentIndex(1);
    Bytes entries(256, 0);
    entries[17] = 1;  // house B, key 2
    controller_.answer({table_reply(1, entries)});
    dialog_->Button2->click();
    EXPECT_EQ(std::vector<Bytes>{bytes("51 0C 01 00 00 00 00 5E")}, controller_.requests());
    expect_cells(*dialog_->alon_sg, 1, 1);
    expect_cells(*dialog_->auoff_sg, -1, -1);
    EXPECT_TRUE(prompts_.records().empty());

    // Byte 0 = 15 means no answer, though it could be an entry for house A, key 1.
    Bytes unanswered(256, 0);
    unanswered[0] = 15;
    unanswered[18] = 1;
    controller_.answer({table_reply(1, unanswered)});
    dialog_->Button2->click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Ошибка", prompts_.records()[0].caption.toStdString());
    EXPECT_EQ("Нет ответа от контроллера.", prompts_.records()[0].text.toStdString());
    expect_cells(*dialog_->alon_sg, 1, 1);
}

TEST_F(X10DialogTest, ChangeSendsTheEntryOfThePageShownThenCommits) {
    create(controller_.slave_path());
    dialog_->pc->setCurrentIndex(2);
    dialog_->house_cb->setCurrentIndex(15);  // P
    dialog_->key_cb->setCurrentIndex(15);    // 16
    dialog_->state_cb->setCurrentIndex(1);   // Да
    controller_.answer({bytes("51 0B 02 01 0F 00 0F 7D"), bytes("51 0D 00 00 00 00 00 5E")});
    dialog_->Button1->click();
    EXPECT_EQ(
        (std::vector<Bytes>{bytes("51 0B 02 01 0F 00 0F 7D"), bytes("51 0D 00 00 00 00 00 5E")}),
        controller_.requests());
    EXPECT_TRUE(prompts_.records().empty());
    expect_cells(*dialog_->aloff_sg, -1, -1);  // seen at the next refresh only
}

TEST_F(X10DialogTest, UnansweredChangeIsReportedAndNotCommitted) {
    create(controller_.slave_path());
    controller_.answer({bytes("51 0B")});  // 2 of 8 bytes: the time limit runs out
    dialog_->Button1->click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Нет ответа от контроллера.", prompts_.records()[0].text.toStdString());
    EXPECT_EQ(std::vector<Bytes>{bytes("51 0B 00 00 00 00 00 5C")}, controller_.requests());
    EXPECT_EQ(Bytes{}, controller_.stray_bytes(200));
}

TEST_F(X10DialogTest, WithoutAPortChangeAndRefreshBothSayNoAnswer) {
    create(dir_.file("no-such-port").string());
    ASSERT_EQ(nullptr, context_->serial_port());
    dialog_->Button1->click();
    dialog_->Button2->click();
    ASSERT_EQ(2u, prompts_.records().size());
    for (const auto& record : prompts_.records()) {
        EXPECT_EQ("Нет ответа от контроллера.", record.text.toStdString());
    }
}

}  // namespace
}  // namespace vx::test
