// The compiled program file (.prg.cpl): "VXP", format 1, block length, instructions.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/instruction.h"

namespace vx {

constexpr char kCompiledMagic[3] = {'V', 'X', 'P'};
constexpr uint8_t kCompiledFormat = 0x01;
constexpr std::size_t kCompiledHeaderSize = 8;

// Results of write_compiled_file.
constexpr int kFileWritten = 0;
constexpr int kFileCantOpen = -2;     // the file can't be opened for writing
constexpr int kFileNoProgram = -3;    // no instructions; the file was created or emptied
constexpr int kFileWriteFailed = -4;  // the file could not be written in full

// The whole file's bytes for these instructions.
std::string compiled_image(std::span<const Instruction> instructions);

// Writes the file (created or emptied); on a failure it remembers the first
// one and returns it after closing.
int write_compiled_file(std::span<const Instruction> instructions,
                        const std::string& path = "sample.cpl");

// Why a file's bytes are not a compiled program.
enum class ImageFault {
    kNone,
    kEmpty,           // no bytes at all
    kShortHeader,     // fewer than the 8 header bytes
    kBadMagic,        // not "VXP"
    kBadFormat,       // a format number other than 1
    kLengthMismatch,  // the block length disagrees with the bytes that follow
    kNotWhole,        // the block length is not a multiple of 12
    kNoInstructions,  // a header with an empty block
};

// Checks the header and decodes the instructions.
ImageFault parse_compiled_image(std::string_view bytes, std::vector<Instruction>& instructions);

}  // namespace vx
