// Every known program compiles to exactly the files and diagnostic in recorded_outputs.txt
// (recorded_corpus.h describes its lines).
// Each program also compiles the same when cut into pieces of one statement.
// After a change meant to alter the output, VX_RECORD_OUTPUTS=FILE writes the
// lines as they come out now, to be reviewed and copied over the record.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/compiler/recorded_corpus.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// The chain listing is a text-mode file (text_mode): its line ends are CR LF on
// Windows, LF here, where the records were made; it is hashed with LF ends.
std::string file_record(const fs::path& path, bool text_mode = false) {
    if (!fs::exists(path)) {
        return "-";
    }
    uint64_t hash = 14695981039346656037ULL;
    std::string data = test::read_file(path);
#ifdef _WIN32
    for (std::size_t at = 0; text_mode && (at = data.find("\r\n", at)) != std::string::npos;) {
        data.erase(at, 1);
    }
#else
    (void)text_mode;
#endif
    for (unsigned char b : data) {
        hash = (hash ^ b) * 1099511628211ULL;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%zu:%016llx", data.size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

// The record line of one program, compiled in a folder of its own.
std::string compile_record(const std::string& entry) {
    test::TempDir dir;
    const std::string path = (dir / "p.prg").string();
    test::write_file(path, test::recorded_source(entry));
    CompileError error;
    const int result = compile_program(path, error);
    std::string diagnostic = "-";
    if (result != kCompiled) {
        diagnostic = std::to_string(error.line) + ":" + std::to_string(error.column) + ": " +
                     compile_failure_message(result, error, "p.prg");
    }
    return entry + "\t" + std::to_string(result) + "\t" + diagnostic + "\t" +
           file_record(path + ".chain", true) + "\t" + file_record(path + ".cpl");
}

// A compile in pieces of one statement each comes out as a compile in one piece.
void expect_same_in_small_pieces(const std::string& entry) {
    const std::string source = test::recorded_source(entry);
    test::Compiled whole;
    test::Compiled pieces;
    whole.result = compile_source(source, whole.error, whole.program, SIZE_MAX);
    pieces.result = compile_source(source, pieces.error, pieces.program, 1);
    EXPECT_EQ(whole.result, pieces.result) << entry;
    EXPECT_EQ(diagnostic_line(whole.error), diagnostic_line(pieces.error)) << entry;
    EXPECT_EQ(whole.program.listing, pieces.program.listing) << entry;
    EXPECT_TRUE(whole.program.instructions == pieces.program.instructions) << entry;
    // The statement map: one source position per instruction, whatever the pieces.
    EXPECT_TRUE(whole.program.statement_map == pieces.program.statement_map) << entry;
    if (whole.result == kCompiled) {
        EXPECT_EQ(whole.program.statement_map.size(), whole.program.instructions.size()) << entry;
        for (const StatementPosition& at : whole.program.statement_map) {
            ASSERT_TRUE(at.line > 0 && at.column > 0) << entry;
        }
    }
}

TEST(RecordedOutputs, EveryProgramCompilesToItsRecordedFilesAndDiagnostic) {
    std::ifstream record(test::kRecordedOutputs);
    ASSERT_TRUE(record.good());
    const char* rewrite = std::getenv("VX_RECORD_OUTPUTS");
    std::ostringstream rewritten;
    int programs = 0;
    std::string line;
    while (std::getline(record, line)) {
        if (line.empty() || line[0] == '#') {
            rewritten << line << "\n";
            continue;
        }
        const std::string entry = line.substr(0, line.find('\t'));
        const std::string now = compile_record(entry);
        if (rewrite != nullptr) {
            rewritten << now << "\n";
        } else {
            EXPECT_EQ(line, now);
            expect_same_in_small_pieces(entry);
        }
        ++programs;
    }
    EXPECT_GT(programs, 200);
    if (rewrite != nullptr) {
        std::ofstream(rewrite) << rewritten.str();
    }
}

}  // namespace
}  // namespace vx
