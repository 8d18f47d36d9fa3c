// Transfers, reboot, misbehaviour on purpose and the serial link, between the
// protocol and serial libraries and the simulator.
#include <filesystem>
#include <thread>

#include "files/file_image.h"
#include "serial/Cportfunc.h"
#include "sim_fixture.h"
#include "tests/support/temp_dir.h"

namespace vx::integration {
namespace {

using namespace std::chrono_literals;
using sim::ControllerState;

// A compiled program of about `size` bytes: blocks of "if (var[i]==5) { var[i+1]=1; };"
// with the jumps pointing at their own labels.
test::Bytes program_of_size(std::size_t size) {
    test::Bytes file = {'V', 'X', 'P', 0x01, 0, 0, 0, 0};
    auto put16 = [&](uint16_t v) {
        file.push_back(uint8_t(v));
        file.push_back(uint8_t(v >> 8));
    };
    auto instruction = [&](uint16_t a1, uint8_t t1, uint16_t a2, uint8_t t2, uint8_t op2,
                           uint16_t a3, uint8_t t3, uint8_t op3) {
        put16(a1), file.push_back(t1), file.push_back(0);
        put16(a2), file.push_back(t2), file.push_back(op2);
        put16(a3), file.push_back(t3), file.push_back(op3);
    };
    uint16_t index = 0, label = 1000;
    while (file.size() + 6 * 12 <= size) {
        const uint16_t v = uint16_t(index % 1000);
        instruction(v, 3, 5, 1, 6, 0, 0, 30);                    // condition
        instruction(2, 1, uint16_t(index + 3), 1, 0, 0, 0, 31);  // jump into the then-part
        instruction(2, 1, uint16_t(index + 5), 1, 0, 0, 0, 31);  // jump past it
        instruction(0, 0, 0, 0, 0, label, 1, 33);
        instruction(1, 1, 0, 0, 15, uint16_t(v + 1), 3, 20);
        instruction(0, 0, 0, 0, 0, uint16_t(label + 1), 1, 33);
        index = uint16_t(index + 6);
        label = uint16_t(label + 2);
    }
    const uint32_t length = uint32_t(file.size() - 8);
    for (int i = 0; i < 4; ++i) file[4 + i] = uint8_t(length >> (8 * i));
    return file;
}

// The whole transfer as the main window runs it; the verdict, or -3 from a packet.
int transfer(ControllerConnection& c, const std::filesystem::path& path, int kind,
             int32_t cut_after_begin = 0) {
    files::FileImage* image = files::load_file_image(path.string());
    if (image->size < 0) {
        files::free_file_image(image);
        return -100;
    }
    int rc = transfer_begin(c, *image, kind);
    image->size -= cut_after_begin;  // fewer bytes than announced
    while (rc == 0 && image->position < image->size) rc = transfer_chunk(c, *image, kind);
    files::free_file_image(image);
    return rc == 0 ? transfer_end(c, kind) : rc;
}

TEST_F(AgainstSimulator, ProgramOf100KiBIsLoadedThenJudged) {
    test::TempDir dir;
    const test::Bytes program = program_of_size(100 * 1024);
    ASSERT_GT(program.size(), 100u * 1024 - 72);
    EXPECT_EQ(0, transfer(c_, dir.write("big.prg.cpl", program), kTransferProgram));
    EXPECT_EQ(program, sim_.with_state([](ControllerState& s) { return s.program(); }));

    test::Bytes broken = program;
    broken[8 + 12 * 100 + 11] = 34;  // an instruction kind the interpreter does not know
    EXPECT_EQ(4, transfer(c_, dir.write("broken.prg.cpl", broken), kTransferProgram));
    EXPECT_EQ(1, transfer(c_, dir.write("short.prg.cpl", program), kTransferProgram, 2048));
    EXPECT_EQ(program, sim_.with_state([](ControllerState& s) { return s.program(); }));
    EXPECT_EQ(0, reset_timers_and_variables(c_));
}

TEST_F(AgainstSimulator, FirmwareIsLoadedThenTheControllerRebooted) {
    test::TempDir dir;
    test::Bytes firmware(2500);
    for (std::size_t i = 0; i < firmware.size(); ++i) firmware[i] = uint8_t(i * 13);
    EXPECT_EQ(0, transfer(c_, dir.write("update.upd", firmware), kTransferFirmware));
    EXPECT_EQ(firmware, sim_.with_state([](ControllerState& s) { return s.firmware(); }));
    EXPECT_EQ(0, transfer(c_, dir.write("empty.upd", test::Bytes()), kTransferFirmware));

    EXPECT_EQ(0, reboot_controller_nocheck(c_));
    EXPECT_EQ(kNoReply, read_cycle_delay(c_));  // the service closed the connection
    EXPECT_FALSE(is_connected(c_));
}

TEST_F(AgainstSimulator, RebootAnswersThenComesBackWithItsState) {
    EXPECT_EQ(0, write_start_value(c_, 3, 33));
    EXPECT_EQ(0, write_module_parameter(c_, 1, 99, 9));
    EXPECT_EQ(0, reboot_controller(c_));
    EXPECT_EQ(kNoReply, read_controller_version(c_) == 0 ? kNoReply : 0);

    ControllerConnection again;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (connect_to_service(again, sim_.port()) != 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(is_connected(again));
    const uint8_t* values = read_variables(again);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(33, view_u16(values, 3));
    EXPECT_EQ(9, read_module_parameter(again, 1, 99));
}

TEST_F(AgainstSimulator, RestartPortAcceptsTheRestartRequest) {
    ControllerConnection restart;
    ASSERT_EQ(0, connect_to_service(restart, sim_.restart_port()));
    EXPECT_EQ(0, reboot_controller(restart));
}

class WithFaults : public AgainstSimulator {
protected:
    static sim::Options faults(int drop, int cut, int bad_echo, int close_after) {
        sim::Options o = sim::SimulatorThread::test_options();
        o.faults.drop_every = drop;
        o.faults.short_every = cut;
        o.faults.bad_echo_every = bad_echo;
        o.faults.close_after = close_after;
        return o;
    }
    using AgainstSimulator::AgainstSimulator;
};

class DroppedReply : public WithFaults {
protected:
    DroppedReply() : WithFaults(faults(2, 0, 0, 0)) {}
};
TEST_F(DroppedReply, IsNoReplyAndTheLateNothingHarmsNoLaterRequest) {
    EXPECT_EQ(1, read_cycle_delay(c_));
    EXPECT_EQ(kNoReply, read_cycle_delay(c_));  // after the 3 s limit
    EXPECT_EQ(1, read_cycle_delay(c_));
}

class CutReply : public WithFaults {
protected:
    CutReply() : WithFaults(faults(0, 2, 0, 0)) {}
};
TEST_F(CutReply, IsNoReplyAndLeavesNothingForTheNextRequest) {
    EXPECT_EQ(13, read_module_count(c_));
    EXPECT_EQ(nullptr, read_variables(c_));  // half of 2056 bytes, then the limit
    EXPECT_EQ(13, read_module_count(c_));
}

class AlteredAndClosed : public WithFaults {
protected:
    AlteredAndClosed() : WithFaults(faults(0, 0, 2, 4)) {}
};
TEST_F(AlteredAndClosed, WrongEchoesFailTheirChecksAndAClosedLinkFailsAtOnce) {
    EXPECT_EQ(0, set_cycle_delay(c_, 2));
    EXPECT_EQ(kBadEcho, write_variable(c_, 0, 1));  // the second reply's command byte altered
    EXPECT_EQ(0, write_variable(c_, 0, 1));
    EXPECT_FALSE(rescan_bus(c_));  // the fourth: altered; then the link is closed
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kNoReply, read_cycle_delay(c_));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(is_connected(c_));
}

TEST(SerialLinkAgainstSimulator, X10TablesCommitAndShutDown) {
    test::TempDir dir;
    sim::Options options = sim::SimulatorThread::test_options();
    options.serial_path = dir.file("ttyVX").string();
    sim::SimulatorThread sim(options);
    std::string error;
    std::unique_ptr<SerialPort> port = open_serial_port(options.serial_path, &error);
    ASSERT_NE(nullptr, port) << error;

    EXPECT_EQ(0, x10_set_entry(port.get(), 2, 15, 15, 1));  // All Lights Off, P16
    X10Table table = x10_read_table(port.get(), 2);
    EXPECT_NE(0, table[15 * 16 + 15]);
    EXPECT_NE(0, table[1 * 16 + 0]);  // B1, from the house
    EXPECT_EQ(0, table[5]);
    EXPECT_EQ(0, serial_commit_settings(port.get()));
    EXPECT_NE(0, sim.with_state([](ControllerState& s) { return s.committed().x10[2][255]; }));
    EXPECT_EQ(0, x10_set_entry(port.get(), 2, 15, 15, 0));
    table = x10_read_table(port.get(), 2);
    EXPECT_EQ(0, table[255]);

    EXPECT_EQ(0, serial_shutdown(port.get()));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::filesystem::exists(std::filesystem::symlink_status(options.serial_path)) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(0, sim.stop());
    EXPECT_TRUE(sim.simulator().shut_down());
}

}  // namespace
}  // namespace vx::integration
