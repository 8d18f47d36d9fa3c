// Writing and reading back the compiled program file.
#include "compiler/compiled_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vx {

namespace {

// Header and instructions into `out`, each instruction encoded in place;
// `out` holds kCompiledHeaderSize + 12 bytes an instruction.
void encode_image(std::span<const Instruction> instructions, uint8_t* out) {
    std::memcpy(out, kCompiledMagic, sizeof kCompiledMagic);
    out[3] = kCompiledFormat;
    put_u32_le(&out[4], static_cast<uint32_t>(instructions.size() * kInstructionSize));
    out += kCompiledHeaderSize;
    for (const Instruction& in : instructions) {
        const auto bytes = encode_instruction(in);
        std::memcpy(out, bytes.data(), bytes.size());
        out += bytes.size();
    }
}

}  // namespace

std::string compiled_image(std::span<const Instruction> instructions) {
    std::string image(kCompiledHeaderSize + instructions.size() * kInstructionSize, '\0');
    encode_image(instructions, reinterpret_cast<uint8_t*>(image.data()));
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
    // The file goes out through one buffer of whole instructions, the header
    // with the first of them, rather than as an image of the whole program.
    constexpr std::size_t kPerWrite = 4096;
    static_assert(kCompiledHeaderSize < kInstructionSize);
    uint8_t buffer[kInstructionSize * (kPerWrite + 1)];
    bool written = true;
    std::size_t at = 0;
    while (written && at < instructions.size()) {
        const auto part = instructions.subspan(at, std::min(kPerWrite, instructions.size() - at));
        std::size_t bytes = part.size() * kInstructionSize;
        if (at == 0) {
            encode_image(part, buffer);
            bytes += kCompiledHeaderSize;
            put_u32_le(&buffer[4], static_cast<uint32_t>(instructions.size() * kInstructionSize));
        } else {
            uint8_t* out = buffer;
            for (const Instruction& in : part) {
                const auto encoded = encode_instruction(in);
                out = std::copy(encoded.begin(), encoded.end(), out);
            }
        }
        written = std::fwrite(buffer, 1, bytes, file) == bytes;
        at += part.size();
    }
    // A short write or a failed flush would leave a program the controller
    // rejects or, worse, runs cut off: report it, never success.
    int result = written && std::fflush(file) == 0 ? kFileWritten : kFileWriteFailed;
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
