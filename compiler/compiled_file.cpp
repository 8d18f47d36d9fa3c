// Writing and reading back the compiled program file.
#include "compiler/compiled_file.h"

#include <cstdio>
#include <cstring>

namespace vx {

// Header and instructions in one buffer, each instruction encoded in place.
std::string compiled_image(std::span<const Instruction> instructions) {
    std::string image(kCompiledHeaderSize + instructions.size() * kInstructionSize, '\0');
    auto* at = reinterpret_cast<uint8_t*>(image.data());
    std::memcpy(at, kCompiledMagic, sizeof kCompiledMagic);
    at[3] = kCompiledFormat;
    put_u32_le(&at[4], static_cast<uint32_t>(instructions.size() * kInstructionSize));
    at += kCompiledHeaderSize;
    for (const Instruction& in : instructions) {
        const auto bytes = encode_instruction(in);
        std::memcpy(at, bytes.data(), bytes.size());
        at += bytes.size();
    }
    return image;
}

int write_compiled_file(std::span<const Instruction> instructions, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return kFileCantOpen;
    }
    if (instructions.empty()) {
        std::fclose(file);
        return kFileNoProgram;
    }
    int result = kFileWritten;
    // A short write or a failed flush would leave a program the controller
    // rejects or, worse, runs cut off: report it, never success.
    const std::string image = compiled_image(instructions);
    if (std::fwrite(image.data(), 1, image.size(), file) != image.size() ||
        std::fflush(file) != 0) {
        result = kFileWriteFailed;
    }
    if (std::fclose(file) != 0 && result == kFileWritten) {
        result = kFileWriteFailed;
    }
    return result;
}

ImageFault parse_compiled_image(std::string_view bytes, std::vector<Instruction>& instructions) {
    instructions.clear();
    if (bytes.empty()) {
        return ImageFault::kEmpty;
    }
    if (bytes.size() < kCompiledHeaderSize) {
        return ImageFault::kShortHeader;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (std::memcmp(data, kCompiledMagic, sizeof kCompiledMagic) != 0) {
        return ImageFault::kBadMagic;
    }
    if (data[3] != kCompiledFormat) {
        return ImageFault::kBadFormat;
    }
    const uint32_t block_length = get_u32_le(&data[4]);
    if (block_length != bytes.size() - kCompiledHeaderSize) {
        return ImageFault::kLengthMismatch;
    }
    if (block_length % kInstructionSize != 0) {
        return ImageFault::kNotWhole;
    }
    if (block_length == 0) {
        return ImageFault::kNoInstructions;
    }
    instructions.reserve(block_length / kInstructionSize);
    for (std::size_t at = kCompiledHeaderSize; at < bytes.size(); at += kInstructionSize) {
        instructions.push_back(decode_instruction(data + at));
    }
    return ImageFault::kNone;
}

}  // namespace vx
