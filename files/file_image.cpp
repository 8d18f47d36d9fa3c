// Loads a whole file into memory for a program or firmware transfer.
#include "files/file_image.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>

namespace vx::files {

namespace {

// Closes the file on every path out of load_file_image.
struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

// The file's length, or -1 when it can't be told (not a regular, seekable file).
off_t file_length(std::FILE* file) {
    // A folder opens on some systems and seeks to a length its file system makes up.
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        return -1;
    }
    if (fseeko(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t length = ftello(file);
    if (fseeko(file, 0, SEEK_SET) != 0) {
        return -1;
    }
    return length;
}

}  // namespace

FileImage* load_file_image(const std::string& path) {
    auto* image = new FileImage{};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        image->size = kFileOpenFailed;
        return image;
    }
    FileCloser closer{file};

    // size is signed 32-bit: a file of 2 GiB or more can't be described, so it
    // is refused like a file that can't be read whole, instead of wrapping.
    const off_t length = file_length(file);
    if (length < 0 || length > std::numeric_limits<int32_t>::max()) {
        image->size = kFileReadFailed;
        return image;
    }
    const auto size = static_cast<std::size_t>(length);
    // new[0] gives a valid empty buffer: an empty file is a success with data.
    auto* data = new (std::nothrow) uint8_t[size];
    if (data == nullptr) {
        image->size = kFileReadFailed;
        return image;
    }
    std::size_t read = 0;
    while (read < size) {
        const std::size_t got = std::fread(data + read, 1, size - read, file);
        if (got == 0) {
            break;
        }
        read += got;
    }
    if (read != size) {
        delete[] data;
        image->size = kFileReadFailed;
        return image;
    }
    image->size = static_cast<int32_t>(size);
    image->position = 0;
    image->data = data;
    return image;
}

void free_file_image(FileImage* image) {
    if (image == nullptr) {
        return;
    }
    delete[] image->data;
    delete image;
}

}  // namespace vx::files
