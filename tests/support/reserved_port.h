// A loopback port held without listening: connections to it are refused, and
// no other program can start listening on it while the test runs.
#pragma once

#include <cstdint>

#include "tests/support/loopback.h"

namespace vx::test {

class ReservedPort {
public:
    explicit ReservedPort(uint16_t port = 0);  // 0: any free port; failure fails the test
    ~ReservedPort();
    ReservedPort(const ReservedPort&) = delete;
    ReservedPort& operator=(const ReservedPort&) = delete;

    uint16_t port() const { return port_; }
    bool held() const { return socket_ != loopback::kNone; }

private:
    loopback::Socket socket_ = loopback::kNone;
    uint16_t port_ = 0;
};

}  // namespace vx::test
