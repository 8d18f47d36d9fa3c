// Fuzz target: the compiled-file header check and the disassembler on arbitrary file bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "compiler/compiled_file.h"
#include "tools/vxc/disassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<vx::Instruction> instructions;
    if (vx::parse_compiled_image(bytes, instructions) != vx::ImageFault::kNone) {
        if (!instructions.empty()) {
            std::fprintf(stderr, "cpl_reader_fuzzer: instructions from a refused file\n");
            __builtin_trap();
        }
        return 0;
    }
    const vx::Disassembly listing = vx::disassemble(instructions);
    std::size_t lines = 0;
    for (char ch : listing.text) {
        lines += ch == '\n';
    }
    if (lines != instructions.size() || vx::compiled_image(instructions) != bytes) {
        std::fprintf(stderr, "cpl_reader_fuzzer: listing or image does not match the file\n");
        __builtin_trap();
    }
    return 0;
}
