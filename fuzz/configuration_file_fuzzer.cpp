// libFuzzer target: the configuration backup reader on any bytes. A refused file gives one
// readable line; what it accepts must survive the writer unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commissioning/configuration_file.h"
#include "files/codepage.h"

namespace {

// The error is shown in a box and on a terminal: one line of UTF-8, never empty.
bool readable(const std::string& text) {
    return !text.empty() && text.find('\n') == std::string::npos && vx::files::is_valid_utf8(text);
}

void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "configuration_file_fuzzer: %s:\n%s\n", what, text.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vx::commissioning;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Configuration first;
    if (const std::string error = configuration_from_json(input, first); !error.empty()) {
        if (!readable(error)) {
            fail("the error is not one line of UTF-8", error);
        }
        return 0;
    }
    // A backup that was read is written again by the next save (and by vxctl backup):
    // the written file must read back as the same configuration, and write as itself.
    const std::string written = configuration_to_json(first);
    Configuration second;
    if (const std::string error = configuration_from_json(written, second); !error.empty()) {
        fail(("what was written does not read back: " + error).c_str(), written);
    }
    if (configuration_to_json(second) != written) {
        fail("what was written changed on the way back", written);
    }
    return 0;
}
