// What the controller has a fixed number of, and where its service listens.
#pragma once

#include <cstdint>

namespace vx {

constexpr int kVariableCount = 1024;  // variables 0 to 1023
constexpr int kAddressCount = 128;    // bus addresses 1 to 128
constexpr int kServiceCount = 3;      // 0 bus polling, 1 MySQL work, 2 user program

constexpr uint16_t kServicePort = 2100;  // of the controller service on 127.0.0.1

}  // namespace vx
