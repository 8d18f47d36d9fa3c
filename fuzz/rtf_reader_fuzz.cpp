// libFuzzer target: the notes file reader on any bytes; what it reads must survive the writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "notes/notes_file.h"
#include "notes/rtf_reader.h"
#include "notes/rtf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vx::notes;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ReadResult first = read_rtf(input);
    if (first.status == ReadStatus::not_rtf) {
        // What the editor then shows: the bytes as plain text.
        first.document = document_from_text(decode_plain_text(input));
    }
    // Whatever was loaded is saved again with the next Save; reading that back
    // must give the same document, or notes would change with every save.
    const std::string rtf = write_rtf(first.document);
    const ReadResult second = read_rtf(rtf);
    if (second.status != ReadStatus::ok || !(second.document == first.document)) {
        std::fprintf(stderr, "write/read round trip changed the document:\n%s\n", rtf.c_str());
        std::abort();
    }
    return 0;
}
