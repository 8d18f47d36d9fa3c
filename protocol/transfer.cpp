// Program and firmware transfer: the size announcement, the 1028-byte data
// packets and the closing packet that carries the service's verdict.
#include <algorithm>
#include <cstring>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "protocol/request.h"

namespace vx {

using namespace detail;

namespace {
constexpr int kController = 0x51;
constexpr int kBegin = 0x00, kChunk = 0x01, kEnd = 0x02;  // byte 2 of each packet

constexpr std::size_t kChunkData = 1024;                           // file bytes per data packet
constexpr std::size_t kChunkHeader = 3;                            // 51 K 01
constexpr std::size_t kChunkSize = kChunkHeader + kChunkData + 1;  // 1028 with the checksum

// None of the transfer packets discards pending input: a late echo of one
// packet is read as the reply to the next, which then fails its echo check.
bool send_packet(ControllerConnection& c, std::size_t length) {
    return exchange(c, c.send_buffer, length, kPacketReply);
}
}  // namespace

int transfer_begin(ControllerConnection& c, files::FileImage& image, int kind) {
    const OperationScope observed(c, "transfer_begin", {kind, image.size});
    if (image.size < 0) {
        return kTransferFailed;  // a file that failed to load is never announced
    }
    const auto size = static_cast<uint32_t>(image.size);
    put_request(c, {kController, kind, kBegin, static_cast<int>(size & 0xFF),
                    static_cast<int>(size >> 8 & 0xFF), static_cast<int>(size >> 16 & 0xFF),
                    static_cast<int>(size >> 24 & 0xFF)});
    if (!send_packet(c, kPacketSize)) {
        return kTransferFailed;
    }
    return reply_echoes(c, 0, 7) ? kDone : kTransferFailed;
}

int transfer_chunk(ControllerConnection& c, files::FileImage& image, int kind) {
    const OperationScope observed(c, "transfer_chunk", {kind, image.position});
    if (image.data == nullptr || image.position < 0 || image.position >= image.size) {
        return kTransferFailed;  // nothing left to send: a caller's mistake, nothing goes out
    }
    const auto count = std::min(kChunkData, static_cast<std::size_t>(image.size - image.position));
    uint8_t* p = c.send_buffer;
    p[0] = kController;
    p[1] = static_cast<uint8_t>(lo(kind));
    p[2] = kChunk;
    std::memcpy(p + kChunkHeader, image.data + image.position, count);
    // The last packet of a file is still 1028 bytes long; its unused tail is
    // zeros rather than whatever an earlier packet left in the buffer.
    std::memset(p + kChunkHeader + count, 0, kChunkData - count);
    p[kChunkSize - 1] = packet_checksum(p, kChunkSize - 1);
    image.position += static_cast<int32_t>(count);

    if (!send_packet(c, kChunkSize)) {
        return kTransferFailed;
    }
    // The service repeats the packet's first 8 bytes: 51 K 01 and five data bytes.
    return reply_echoes(c, 0, 7) ? kDone : kTransferFailed;
}

int transfer_end(ControllerConnection& c, int kind) {
    const OperationScope observed(c, "transfer_end", {kind});
    put_request(c, {kController, kind, kEnd, 0, 0, 0, 0});
    if (!send_packet(c, kPacketSize)) {
        return kTransferFailed;
    }
    return static_cast<int8_t>(reply_byte(c, 3));  // the verdict: 0 loaded, 1..4 why not
}

}  // namespace vx
