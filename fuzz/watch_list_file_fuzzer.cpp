// libFuzzer target: the watch list file reader on any bytes. A refused file gives one
// readable line naming its line and leaves the rows as they were; what it accepts must
// be written and read back as the same rows.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "commissioning/watch_list.h"
#include "commissioning/watch_list_file.h"
#include "files/codepage.h"

namespace {

using vx::commissioning::WatchList;

// The error is shown in a box: one line of UTF-8 that says which line is at fault.
bool readable(const std::string& text) {
    return text.rfind("строка ", 0) == 0 && text.find_first_of("\r\n") == std::string::npos &&
           vx::files::is_valid_utf8(text);
}

bool same(const std::vector<WatchList::Row>& a, const std::vector<WatchList::Row>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].variable != b[i].variable || a[i].name != b[i].name ||
            a[i].charted != b[i].charted || a[i].format != b[i].format) {
            return false;
        }
    }
    return true;
}

void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "watch_list_file_fuzzer: %s:\n%s\n", what, text.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vx::commissioning;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<WatchList::Row> before = {{3, "до", true, ValueFormat::hex}};
    std::vector<WatchList::Row> rows = before;
    if (const std::string error = parse_watch_list(input, rows); !error.empty()) {
        if (!readable(error)) {
            fail("the error is not one line of UTF-8 naming a line", error);
        }
        if (!same(rows, before)) {
            fail("a refused file changed the rows", error);
        }
        return 0;
    }
    // A list opened is saved again as it is: the same rows, the same text.
    WatchList list;
    list.replace(rows);
    if (!same(list.rows(), rows)) {
        fail("the list did not take every row read", std::string(input));
    }
    const std::string written = watch_list_text(list);
    std::vector<WatchList::Row> again;
    if (const std::string error = parse_watch_list(written, again); !error.empty()) {
        fail(("what was written does not read back: " + error).c_str(), written);
    }
    if (!same(again, rows)) {
        fail("what was written reads back as other rows", written);
    }
    WatchList second;
    second.replace(again);
    if (watch_list_text(second) != written) {
        fail("what was written changed on the way back", written);
    }
    return 0;
}
