// The addressing wizard's and the services dialog's tests: the window context
// on a scripted fake controller, and the requests those two dialogs send.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "dialog_fixture.h"

namespace vx::test {

// The controller's 8-byte answer: bytes 0 to 5 as given, the rest 0.
inline Bytes answer(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3 = 0, uint8_t b4 = 0,
                    uint8_t b5 = 0) {
    return {b0, b1, b2, b3, b4, b5, 0, 0};
}

// --- the requests, as the controller sees them ---------------------------------------
inline Bytes query_service(int s) {
    return packet(0x51, 0x00, s, 0x02);
}
inline Bytes switch_service(int s, int on) {
    return packet(0x51, 0x00, s, on);
}
inline Bytes register_module_request(int a) {
    return packet(0x51, 0x02, a);
}
inline Bytes module_count_request() {
    return packet("51 03 00 00 00 00 00");
}
inline Bytes module_info_request(int a) {
    return packet(0x51, 0x04, a);
}
inline Bytes commit_request() {
    return packet("51 0D 00 00 00 00 00");
}
inline Bytes rescan_request() {
    return bytes("C8 20 00 00 00 00 00 E8");
}
inline Bytes rescan_done() {
    return bytes("06 00 06");
}

// The services answer state for state; a switch echoes the new state.
inline void script_query(FakeController& fake, int s, int state) {
    fake.expect(query_service(s)).reply(answer(0x51, 0x00, s, state));
}
inline void script_switch(FakeController& fake, int s, int on, int answered_state) {
    fake.expect(switch_service(s, on)).reply(answer(0x51, 0x00, s, answered_state));
}
inline void script_commit(FakeController& fake) {
    fake.expect(commit_request()).reply(answer(0x51, 0x0D, 0x00));
}
// Closing the wizard: the three services switched back to the states given
// (1 on, 0 off), each echoed, then the commit.
inline void script_restore(FakeController& fake, std::array<int, 3> states) {
    for (int s = 0; s < 3; ++s) {
        script_switch(fake, s, states[s], states[s]);
    }
    script_commit(fake);
}

// A module takes address a and describes itself; count is the controller's
// number of registered modules afterwards.
inline void script_registration(FakeController& fake, int a, uint8_t version, uint8_t type,
                                uint8_t subtype, uint8_t count) {
    fake.expect(register_module_request(a)).reply(answer(0x51, 0x02, a));
    fake.expect(module_info_request(a)).reply(answer(0x51, 0x04, a, version, type, subtype));
    fake.expect(module_count_request()).reply(answer(0x51, 0x03, count));
}
// No module answers at address a: the controller sends back 0 in place of it.
inline void script_no_module(FakeController& fake, int a) {
    fake.expect(register_module_request(a)).reply(answer(0x51, 0x02, 0x00));
}

}  // namespace vx::test
