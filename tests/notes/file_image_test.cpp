// Loading whole files for transfer: normal, empty, missing, unreadable, too large.
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "files/file_image.h"
#include "tests/support/temp_dir.h"

namespace vx::test {
namespace {

TEST(FileImage, LoadsTheWholeFile) {
    TempDir dir;
    Bytes content(70000);
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<uint8_t>(i % 251);
    }
    content[10] = 0x1A;  // bytes that a text-mode read would treat specially
    content[11] = '\r';
    content[12] = '\n';
    files::FileImage* image =
        files::load_file_image(dir.write("program.prg.cpl", content).string());
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(70000, image->size);
    EXPECT_EQ(0, image->position);
    ASSERT_NE(nullptr, image->data);
    EXPECT_EQ(content, Bytes(image->data, image->data + image->size));
    files::free_file_image(image);
}

TEST(FileImage, EmptyFileIsASuccessWithAnEmptyBuffer) {
    TempDir dir;
    files::FileImage* image = files::load_file_image(dir.write("empty.upd", Bytes{}).string());
    EXPECT_EQ(0, image->size);
    EXPECT_EQ(0, image->position);
    EXPECT_NE(nullptr, image->data);
    files::free_file_image(image);
}

TEST(FileImage, FilesThatCannotBeLoadedGiveANegativeSizeAndNoData) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    const struct {
        const char* what;
        std::string path;
        int32_t expected;
    } rows[] = {
        {"missing file", dir.file("missing.prg.cpl").string(), files::kFileOpenFailed},
        {"missing folder", dir.file("no/such/file").string(), files::kFileOpenFailed},
#ifdef _WIN32
        {"a folder, not a file", dir.file("folder").string(),
         files::kFileOpenFailed},  // won't open
#else
        {"a folder, not a file", dir.file("folder").string(), files::kFileReadFailed},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        files::FileImage* image = files::load_file_image(row.path);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(row.expected, image->size);
        EXPECT_EQ(nullptr, image->data);
        files::free_file_image(image);
    }
    files::free_file_image(nullptr);  // accepted, does nothing
}

// The size is a signed 32-bit count: a file of 2 GiB can't be described and
// is refused as unreadable rather than loaded with a wrapped, negative size;
// one of 4 GiB and 8 bytes must not pass for a file of 8 bytes either.
TEST(FileImage, FilesOf2GiBAndMoreAreRefused) {
    TempDir dir;
    for (const std::uintmax_t length : {std::uintmax_t{1} << 31, (std::uintmax_t{1} << 32) + 8}) {
        SCOPED_TRACE(length);
        const std::filesystem::path path = dir.write("huge.upd", "");
        std::error_code error;
        std::filesystem::resize_file(path, length, error);  // holes: no disk space used
        if (error) {
            GTEST_SKIP() << "this file system can't hold a sparse file of " << length << " bytes";
        }
        files::FileImage* image = files::load_file_image(path.string());
        EXPECT_EQ(files::kFileReadFailed, image->size);
        EXPECT_EQ(nullptr, image->data);
        files::free_file_image(image);
    }
}

}  // namespace
}  // namespace vx::test
