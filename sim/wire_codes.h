// The family and command bytes of the requests the simulated controller answers:
// byte 0 names the family, byte 1 the command within it, byte 2 often a step.
#pragma once

#include <cstdint>

namespace vx::sim {

// --- families (byte 0) -----------------------------------------------------------------------
constexpr uint8_t kFamilyController = 0x51;  // the letter Q; the serial link's family too
constexpr uint8_t kFamilyVariables = 0x1D;   // variables, start-up values, poll frequencies
constexpr uint8_t kFamilyModules = 0x0A;     // one bus module: outputs, parameters, channels
constexpr uint8_t kFamilyModbus = 0x0B;      // ModBus devices, byte 1 the ModBus function
constexpr uint8_t kFamilyBus = 0xC8;         // answered by a short acknowledgement
constexpr uint8_t kFamilyRawTable = 0x2A;    // the two fixed module table requests

// --- family 0x51 (byte 1); the uploads' kUploadProgram and kUploadFirmware are in upload.h ---
constexpr uint8_t kService = 0x00;
constexpr uint8_t kStartAddressing = 0x01;
constexpr uint8_t kRegisterModule = 0x02;
constexpr uint8_t kModuleCount = 0x03;
constexpr uint8_t kModuleInfo = 0x04;
constexpr uint8_t kClock = 0x07;
constexpr uint8_t kVersion = 0x09;
constexpr uint8_t kX10SetEntry = 0x0B;   // serial link only
constexpr uint8_t kX10ReadTable = 0x0C;  // serial link only
constexpr uint8_t kCommitSettings = 0x0D;
constexpr uint8_t kCycleDelay = 0x0E;
constexpr uint8_t kReboot = 0x0F;
constexpr uint8_t kShutDown = 0x10;  // serial link only
constexpr uint8_t kModuleHealth = 0x13;

// Byte 3 of a service request: 0 stops, 1 starts, 2 asks.
constexpr uint8_t kServiceQuery = 2;
// Byte 2 of a clock request: the part set or read.
constexpr uint8_t kClockSetDate = 0;
constexpr uint8_t kClockSetTime = 1;
constexpr uint8_t kClockGetDate = 2;
constexpr uint8_t kClockGetTime = 3;
// Byte 2 of an upload packet: the step of the transfer.
constexpr uint8_t kUploadBegin = 0x00;
constexpr uint8_t kUploadChunk = 0x01;
constexpr uint8_t kUploadEnd = 0x02;
// Byte 2 of a cycle delay request.
constexpr uint8_t kCycleDelaySet = 0;
constexpr uint8_t kCycleDelayQuery = 1;

// --- family 0x1D (byte 1) --------------------------------------------------------------------
constexpr uint8_t kResetVariables = 0x00;
constexpr uint8_t kWriteVariable = 0x01;
constexpr uint8_t kWriteStartValue = 0x02;
constexpr uint8_t kReadStartValues = 0x03;
constexpr uint8_t kReadVariables = 0x04;
constexpr uint8_t kWritePollFrequency = 0x08;
constexpr uint8_t kReadPollFrequencies = 0x09;

// --- family 0x0A (byte 1) --------------------------------------------------------------------
constexpr uint8_t kDiscreteOutputs = 0x01;
constexpr uint8_t kModuleParameter = 0x02;  // byte 3: kParameterRead or kParameterWrite
constexpr uint8_t kAnalogOutput = 0x03;
constexpr uint8_t kThermostat = 0x04;
constexpr uint8_t kParameterWrite = 0x00;
constexpr uint8_t kParameterRead = 0x01;

// --- family 0x0B (byte 1): ModBus function codes -----------------------------------------
constexpr uint8_t kModbusReadHolding = 0x03;
constexpr uint8_t kModbusReadInput = 0x04;
constexpr uint8_t kModbusWriteCoil = 0x05;
constexpr uint8_t kModbusWriteRegister = 0x10;
// A ModBus exception answers with the function code's top bit set.
constexpr uint8_t kModbusExceptionBit = 0x80;

// --- family 0xC8 (byte 1) and its acknowledgements -------------------------------------------
constexpr uint8_t kRescanBus = 0x20;
constexpr uint8_t kVoiceCommand = 0x38;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

// The type byte of an address without a module, in the type table and the info reply.
constexpr uint8_t kNoModuleType = 0xFE;

// A refused request is echoed with this bit set in its command byte.
constexpr uint8_t kRefusedBit = 0x80;

}  // namespace vx::sim
