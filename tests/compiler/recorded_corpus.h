// The recorded-output corpus: every program we have, with what vxc said of it.
//
// One line a program, tab-separated: the source (`file:PATH` in the tree,
// `mixed:LINES` or `straight:LINES` from the bench's generator, or the bytes
// themselves in quotes), the compile's result, the diagnostic as vxc prints
// it after the file name (`-` when none), and the size and FNV-1a hash of the
// .prg.chain and .prg.cpl left beside the source (`-` when not written).
#pragma once

#include <filesystem>
#include <string>

#include "bench/generated_programs.h"
#include "tests/compiler/compiler_test_support.h"

namespace vx::test {

inline const std::filesystem::path kRecordedOutputs =
    std::filesystem::path(VX_SOURCE_DIR) / "tests/compiler/recorded_outputs.txt";

// The bytes of a quoted source: \xHH for a byte, anything else as it is.
inline std::string unescape(const std::string& quoted) {
    std::string out;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 3 < quoted.size()) {
            out += static_cast<char>(std::stoi(quoted.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += quoted[i];
        }
    }
    return out;
}

// The source of a corpus line's first field.
inline std::string recorded_source(const std::string& entry) {
    if (entry.rfind("file:", 0) == 0) {
        return read_file(std::filesystem::path(VX_SOURCE_DIR) / entry.substr(5));
    }
    if (entry.rfind("mixed:", 0) == 0) {
        return bench::mixed_program(std::stoi(entry.substr(6)));
    }
    if (entry.rfind("straight:", 0) == 0) {
        return bench::straight_program(std::stoi(entry.substr(9)));
    }
    return unescape(entry);
}

}  // namespace vx::test
