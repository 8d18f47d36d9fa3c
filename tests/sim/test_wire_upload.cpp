// Program and firmware uploads over raw packets, and the verdicts of their closing packets.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

class Uploads : public ::testing::Test {
protected:
    static Bytes begin_packet(uint8_t kind, uint32_t size) {
        return packet(Bytes{0x51, kind, 0x00, uint8_t(size), uint8_t(size >> 8),
                            uint8_t(size >> 16), uint8_t(size >> 24)});
    }
    // One 1028-byte data packet carrying file bytes from `offset`; filler after the end.
    static Bytes chunk_packet(uint8_t kind, const Bytes& file, std::size_t offset) {
        Bytes p(1028, 0xEE);
        p[0] = 0x51;
        p[1] = kind;
        p[2] = 0x01;
        for (std::size_t i = 0; i < 1024 && offset + i < file.size(); ++i)
            p[3 + i] = file[offset + i];
        unsigned sum = 0;
        for (std::size_t i = 0; i < 1027; ++i) sum += p[i];
        p[1027] = uint8_t(sum);
        return p;
    }
    // Sends the whole file as the configurator does and returns the verdict byte, or -1.
    int upload(uint8_t kind, const Bytes& file, uint32_t announced, std::size_t packets) {
        const Bytes begin = begin_packet(kind, announced);
        if (client.request(begin, 8) != begin)
            return -1;
        for (std::size_t n = 0; n < packets; ++n) {
            const Bytes p = chunk_packet(kind, file, n * 1024);
            if (client.request(p, 8) != Bytes(p.begin(), p.begin() + 8))
                return -1;
        }
        const Bytes end = client.request(packet(Bytes{0x51, kind, 0x02, 0, 0, 0, 0}), 8);
        if (end.size() != 8 || end[0] != 0x51 || end[1] != kind || end[2] != 0x02)
            return -1;
        return end[3];
    }
    static std::size_t packets_for(std::size_t size) { return (size + 1023) / 1024; }

    SimulatorThread sim;
    RawClient client{sim.port()};
};

TEST_F(Uploads, AValidProgramIsLoadedAndKept) {
    std::vector<Instr> instructions;
    while (instructions.size() < 250) {
        for (const Instr& in : sample_program()) instructions.push_back(in);
    }
    // Jumps name instruction indices: move each copy's targets along with it.
    for (std::size_t i = 0; i < instructions.size(); ++i) {
        if (instructions[i].op3 == 31)
            instructions[i].arg2 = uint16_t(i / 7 * 7 + instructions[i].arg2);
    }
    const Bytes file = program_file(instructions);  // 3032 bytes: three packets
    EXPECT_EQ(0, upload(0x08, file, uint32_t(file.size()), packets_for(file.size())));
    EXPECT_EQ(file, sim.with_state([](ControllerState& s) { return s.program(); }));
}

TEST_F(Uploads, ByteCountsThatDoNotMatchGetVerdictOne) {
    const Bytes file = program_file(sample_program());
    EXPECT_EQ(1, upload(0x08, file, 2000, 1));                   // announced more than sent
    EXPECT_EQ(1, upload(0x08, file, uint32_t(file.size()), 2));  // a packet too many
    EXPECT_EQ(1, upload(0x0A, Bytes(10), 10, 0));
    // A closing packet with nothing announced.
    EXPECT_EQ(packet("51 0A 02 01 00 00 00"), client.request(packet("51 0A 02 00 00 00 00"), 8));
    EXPECT_TRUE(sim.with_state([](ControllerState& s) { return s.program().empty(); }));
}

TEST_F(Uploads, AFileThatIsNoCompiledProgramGetsVerdictFour) {
    const Bytes good = program_file(sample_program());
    EXPECT_EQ(0, upload(0x08, good, uint32_t(good.size()), 1));
    Bytes bad = good;
    bad[8 + 4 * 12 + 11] = 99;  // an unknown instruction kind
    EXPECT_EQ(4, upload(0x08, bad, uint32_t(bad.size()), 1));
    EXPECT_EQ(4, upload(0x08, Bytes(), 0, 0));  // an empty file
    // The program loaded before stays.
    EXPECT_EQ(good, sim.with_state([](ControllerState& s) { return s.program(); }));
}

TEST_F(Uploads, FirmwareIsKeptWhateverItHolds) {
    Bytes firmware(2500);
    for (std::size_t i = 0; i < firmware.size(); ++i) firmware[i] = uint8_t(i * 7);
    EXPECT_EQ(0, upload(0x0A, firmware, 2500, 3));
    EXPECT_EQ(firmware, sim.with_state([](ControllerState& s) { return s.firmware(); }));
}

TEST_F(Uploads, OtherRequestsMayRunBetweenDataPackets) {
    const Bytes file = program_file(sample_program());
    EXPECT_EQ(begin_packet(0x08, uint32_t(file.size())),
              client.request(begin_packet(0x08, uint32_t(file.size())), 8));
    EXPECT_EQ(2056u, client.request(packet("1D 04 00 00 00 00 00"), 2056).size());
    // A second connection's uploads are its own.
    RawClient other(sim.port());
    EXPECT_EQ(packet("51 08 02 01 00 00 00"), other.request(packet("51 08 02 00 00 00 00"), 8));
    const Bytes p = chunk_packet(0x08, file, 0);
    EXPECT_EQ(Bytes(p.begin(), p.begin() + 8), client.request(p, 8));
    EXPECT_EQ(packet("51 08 02 00 00 00 00"), client.request(packet("51 08 02 00 00 00 00"), 8));
}

TEST_F(Uploads, BadPacketsAreRefusedOrIgnored) {
    // More than the controller takes: the announcement is refused.
    const Bytes huge = begin_packet(0x0A, 0x7FFFFFFF);
    Bytes refused = huge;
    refused[1] |= 0x80;
    refused[7] = uint8_t(refused[7] + 0x80);
    EXPECT_EQ(refused, client.request(huge, 8));
    // A data packet with nothing announced is refused the same way.
    const Bytes p = chunk_packet(0x08, Bytes(5, 1), 0);
    EXPECT_EQ(0x88, client.request(p, 8)[1]);
    // A data packet with a wrong checksum gets no reply.
    Bytes broken = chunk_packet(0x08, Bytes(5, 1), 0);
    broken[500] ^= 1;
    EXPECT_TRUE(client.request(broken, 8, 300ms).empty());
    EXPECT_EQ(packet("51 09 02 00 0F 00 00"), client.request(packet("51 09 00 00 00 00 00"), 8));
}

}  // namespace
}  // namespace vx::sim::test
