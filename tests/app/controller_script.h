// Requests and replies of the main window's operations, for the fake controller.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>

#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"

namespace vx::test {

inline Bytes version_request() {
    return packet("51 09 00 00 00 00 00");
}
inline Bytes version_reply(uint8_t major, uint8_t minor) {
    return Bytes{0x51, 0x09, major, 0x00, minor, 0x00, 0x00, 0x00};
}

// 2056 bytes: 8-byte header, then variable i at bytes 8 + 2i (little-endian).
inline Bytes variables_reply(const std::map<int, uint16_t>& values) {
    Bytes reply = padded(bytes("1D 04 00 00 00 00 00 21"), 2056);
    for (const auto& [variable, value] : values) {
        reply[8 + 2 * variable] = static_cast<uint8_t>(value);
        reply[9 + 2 * variable] = static_cast<uint8_t>(value >> 8);
    }
    return reply;
}

inline Bytes module_count_reply(uint8_t count) {
    return {0x51, 0x03, count, 0, 0, 0, 0, 0};
}

// A reply of length bytes carrying table from byte 6 (types, I/O, health).
inline Bytes table_reply(const Bytes& table, std::size_t length) {
    Bytes reply(length, 0);
    std::copy(table.begin(), table.end(), reply.begin() + 6);
    return reply;
}

inline Bytes module_info_request(int address) {
    return with_checksum({0x51, 0x04, static_cast<uint8_t>(address), 0, 0, 0, 0});
}
inline Bytes module_info_reply(int address, uint8_t version, uint8_t type, uint8_t subtype) {
    return {0x51, 0x04, static_cast<uint8_t>(address), version, type, subtype, 0, 0};
}

// A module refresh: count, types, I/O, health, then one info request per
// listed address (version, type code, subtype).
struct ModuleScript {
    int count = 0;
    Bytes types = Bytes(128, 0xFE);
    Bytes io = Bytes(256, 0);
    Bytes health = Bytes(128, 0);
    struct Info {
        int address;
        uint8_t version, type, subtype;
    };
    std::vector<Info> infos;
};

inline void script_module_refresh(FakeController& fake, const ModuleScript& s) {
    fake.expect(packet("51 03 00 00 00 00 00"))
        .reply(module_count_reply(static_cast<uint8_t>(s.count)));
    if (s.count == 0) {
        return;
    }
    fake.expect(bytes("2A 00 00 01 B0 00 94 27")).reply(table_reply(s.types, 264));
    fake.expect(bytes("2A 00 00 8D B5 00 25 E9")).reply(table_reply(s.io, 264));
    fake.expect(packet("51 13 00 00 00 00 00")).reply(table_reply(s.health, 136));
    for (const auto& info : s.infos) {
        fake.expect(module_info_request(info.address))
            .reply(module_info_reply(info.address, info.version, info.type, info.subtype));
    }
}

// A transfer of a file of size bytes: begin, echoed data packets, end with rc.
inline void script_transfer(FakeController& fake, uint8_t kind, uint32_t size, int8_t rc) {
    fake.expect(with_checksum({0x51, kind, 0x00, static_cast<uint8_t>(size),
                               static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size >> 16),
                               static_cast<uint8_t>(size >> 24)}))
        .echo();
    for (uint32_t sent = 0; sent < size; sent += 1024) {
        fake.expect_any(1028).echo(8);
    }
    fake.expect(with_checksum({0x51, kind, 0x02, 0, 0, 0, 0}))
        .reply({0x51, kind, 0x02, static_cast<uint8_t>(rc), 0, 0, 0, 0});
}

}  // namespace vx::test
