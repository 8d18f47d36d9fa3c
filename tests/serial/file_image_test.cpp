// Loading whole files for transfer: normal, empty, missing, unreadable, too large.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "serial/file_image.h"
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
    FileImage* image = load_file_image(dir.write("program.prg.cpl", content).string());
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(70000, image->size);
    EXPECT_EQ(0, image->position);
    ASSERT_NE(nullptr, image->data);
    EXPECT_EQ(content, Bytes(image->data, image->data + image->size));
    free_file_image(image);
}

TEST(FileImage, EmptyFileIsASuccessWithAnEmptyBuffer) {
    TempDir dir;
    FileImage* image = load_file_image(dir.write("empty.upd", Bytes{}).string());
    EXPECT_EQ(0, image->size);
    EXPECT_EQ(0, image->position);
    EXPECT_NE(nullptr, image->data);
    free_file_image(image);
}

TEST(FileImage, FilesThatCannotBeLoadedGiveANegativeSizeAndNoData) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    const struct {
        const char* what;
        std::string path;
        int32_t expected;
    } rows[] = {
        {"missing file", dir.file("missing.prg.cpl").string(), kFileOpenFailed},
        {"missing folder", dir.file("no/such/file").string(), kFileOpenFailed},
        {"a folder, not a file", dir.file("folder").string(), kFileReadFailed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FileImage* image = load_file_image(row.path);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(row.expected, image->size);
        EXPECT_EQ(nullptr, image->data);
        free_file_image(image);
    }
    free_file_image(nullptr);  // accepted, does nothing
}

// The size is a signed 32-bit count: a file of 2 GiB can't be described and
// is refused as unreadable rather than loaded with a wrapped, negative size.
TEST(FileImage, FileOf2GiBIsRefused) {
    TempDir dir;
    const std::string path = dir.file("huge.upd").string();
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const bool sparse = ::ftruncate(fd, off_t{1} << 31) == 0;  // holes: no disk space used
    ::close(fd);
    if (!sparse) {
        GTEST_SKIP() << "this file system can't hold a sparse 2 GiB file";
    }
    FileImage* image = load_file_image(path);
    EXPECT_EQ(kFileReadFailed, image->size);
    EXPECT_EQ(nullptr, image->data);
    free_file_image(image);
}

}  // namespace
}  // namespace vx::test
