// Program and firmware transfer: every packet of whole files, the echo rules
// and the verdicts of the closing packet.
#include <algorithm>
#include <numeric>
#include <string>

#include <gtest/gtest.h>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "tests/protocol/connected_fixture.h"
#include "tests/support/temp_dir.h"

namespace vx::test {
namespace {

Bytes file_content(std::size_t size) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<uint8_t>(i * 31 + i / 256 + 1);  // no run of zeros
    }
    return data;
}

// The data packet the controller must receive for the file bytes from `from`.
Bytes expected_chunk(int kind, const Bytes& file, std::size_t from) {
    Bytes packet(1028, 0);
    packet[0] = 0x51;
    packet[1] = static_cast<uint8_t>(kind);
    packet[2] = 0x01;
    const std::size_t count = std::min<std::size_t>(1024, file.size() - from);
    std::copy(file.begin() + from, file.begin() + from + count, packet.begin() + 3);
    packet[1027] = static_cast<uint8_t>(std::accumulate(packet.begin(), packet.end() - 1, 0u));
    return packet;
}

// The calling order of a whole transfer: begin, chunks while data is left, end.
// Returns the closing verdict, or -3 from the packet that failed.
int send_file(ControllerConnection& c, files::FileImage& image, int kind,
              std::vector<int>* positions) {
    if (transfer_begin(c, image, kind) != 0) {
        return kTransferFailed;
    }
    while (image.position < image.size) {
        if (transfer_chunk(c, image, kind) != 0) {
            return kTransferFailed;
        }
        positions->push_back(image.position);
    }
    return transfer_end(c, kind);
}

TEST_F(Connected, WholeFilesTravelInDataPacketsOf1024Bytes) {
    const struct {
        std::size_t size;
        int kind;
        const char* begin;  // the size announcement, as the controller must see it
        const char* end;
    } rows[] = {
        {0, kTransferProgram, "51 08 00 00 00 00 00 59", "51 08 02 00 00 00 00 5B"},
        {1024, kTransferFirmware, "51 0A 00 00 04 00 00 5F", "51 0A 02 00 00 00 00 5D"},
        {1025, kTransferProgram, "51 08 00 01 04 00 00 5E", "51 08 02 00 00 00 00 5B"},
        {5000, kTransferFirmware, "51 0A 00 88 13 00 00 F6", "51 0A 02 00 00 00 00 5D"},
    };
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE("file of " + std::to_string(row.size) + " bytes");
        const Bytes content = file_content(row.size);
        files::FileImage* image = files::load_file_image(dir.write("file.bin", content).string());
        ASSERT_EQ(static_cast<int32_t>(row.size), image->size);

        fake.expect(bytes(row.begin)).echo();
        std::vector<int> want_positions;
        for (std::size_t from = 0; from < row.size; from += 1024) {
            fake.expect(expected_chunk(row.kind, content, from)).echo(8);
            want_positions.push_back(static_cast<int>(std::min(from + 1024, row.size)));
        }
        fake.expect(bytes(row.end)).reply(bytes(row.end));

        std::vector<int> positions;
        EXPECT_EQ(0, send_file(c, *image, row.kind, &positions));
        EXPECT_EQ(want_positions, positions);
        files::free_file_image(image);
        fake.verify();
    }
    // The last packet of the 1025-byte file carries one byte, then zeros.
    const std::vector<Bytes> sent = fake.requests();
    // Packets so far: 2 for the empty file, 3 for 1024 bytes, then begin, chunk, chunk.
    const Bytes& last_of_1025 = sent[2 + 3 + 2];
    EXPECT_EQ(1028u, last_of_1025.size());
    EXPECT_EQ(file_content(1025)[1024], last_of_1025[3]);
    EXPECT_EQ(Bytes(1023, 0), Bytes(last_of_1025.begin() + 4, last_of_1025.end() - 1));
}

TEST_F(Connected, TransferEchoRulesAndVerdicts) {
    uint8_t data[6] = {10, 20, 30, 40, 50, 60};
    files::FileImage image{6, 0, data};
    using CC = ControllerConnection;
    // Each row runs against a fresh position 0.
    const Bytes chunk = expected_chunk(kTransferProgram, Bytes(data, data + 6), 0);
    const Bytes echo8(chunk.begin(), chunk.begin() + 8);
    Bytes wrong_data_echo = echo8;
    wrong_data_echo[7] ^= 1;  // the fifth data byte differs
    auto begin = [&](CC& c) { return transfer_begin(c, image, kTransferProgram); };
    auto chunk_call = [&](CC& c) { return transfer_chunk(c, image, kTransferProgram); };
    auto end = [](CC& c) { return transfer_end(c, kTransferProgram); };
    const std::vector<RequestRow> rows = {
        {"begin echoed", begin, bytes("51 08 00 06 00 00 00 5F"), bytes("51 08 00 06 00 00 00 5F"),
         0},
        {"begin, checksum byte differs", begin, bytes("51 08 00 06 00 00 00 5F"),
         bytes("51 08 00 06 00 00 00 60"), kTransferFailed},
        {"chunk echoed", chunk_call, chunk, echo8, 0},
        {"chunk, a data byte differs", chunk_call, chunk, wrong_data_echo, kTransferFailed},
        {"end: loaded", end, bytes("51 08 02 00 00 00 00 5B"), bytes("51 08 02 00 00 00 00 5B"), 0},
        {"end: transfer errors", end, bytes("51 08 02 00 00 00 00 5B"),
         bytes("51 08 02 01 00 00 00 00"), 1},
        {"end: can't open for writing", end, bytes("51 08 02 00 00 00 00 5B"),
         bytes("51 08 02 02 00 00 00 00"), 2},
        {"end: can't write", end, bytes("51 08 02 00 00 00 00 5B"),
         bytes("51 08 02 03 00 00 00 00"), 3},
        {"end: interpreter refused", end, bytes("51 08 02 00 00 00 00 5B"),
         bytes("51 08 02 04 00 00 00 00"), 4},
        {"end: FC is -4", end, bytes("51 08 02 00 00 00 00 5B"), bytes("51 08 02 FC 00 00 00 00"),
         -4},
        {"end: any complete reply counts", end, bytes("51 08 02 00 00 00 00 5B"),
         bytes("00 00 00 02 00 00 00 00"), 2},
    };
    for (const RequestRow& row : rows) {
        image.position = 0;
        run_rows({row});
    }
}

TEST_F(Connected, NothingIsSentForAFileThatIsNotThereOrIsUsedUp) {
    files::FileImage failed{files::kFileReadFailed, 0, nullptr};
    EXPECT_EQ(kTransferFailed, transfer_begin(c, failed, kTransferProgram));
    uint8_t data[2] = {1, 2};
    files::FileImage used_up{2, 2, data};
    EXPECT_EQ(kTransferFailed, transfer_chunk(c, used_up, kTransferProgram));
    EXPECT_EQ(2, used_up.position);
    EXPECT_TRUE(is_connected(c));
    fake.verify();  // and nothing reached the controller
}

// Costs one reply time limit (3 s).
TEST_F(Connected, TransferStopsWhenADataPacketGetsNoReply) {
    const Bytes content = file_content(5000);
    files::FileImage image{5000, 0, const_cast<uint8_t*>(content.data())};
    fake.expect(bytes("51 0A 00 88 13 00 00 F6")).echo();
    fake.expect(expected_chunk(kTransferFirmware, content, 0)).echo(8);
    fake.expect(expected_chunk(kTransferFirmware, content, 1024));  // never answered
    std::vector<int> positions;
    EXPECT_EQ(kTransferFailed, send_file(c, image, kTransferFirmware, &positions));
    EXPECT_EQ(std::vector<int>{1024}, positions);
    fake.verify();  // one begin, two data packets, and no closing packet
    EXPECT_EQ(3u, fake.requests().size());
}

}  // namespace
}  // namespace vx::test
