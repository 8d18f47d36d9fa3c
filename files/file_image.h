// A whole file read into memory for a program or firmware transfer.
#pragma once

#include <cstdint>
#include <string>

namespace vx::files {

// size: number of bytes in data; -1 when the file can't be opened, -2 when it
// can't be read in full (files of 2 GiB or more are refused the same way,
// since size is signed 32-bit). position: where the transfer goes on from.
struct FileImage {
    int32_t size = 0;
    int32_t position = 0;
    uint8_t* data = nullptr;  // none when size is negative
};

constexpr int32_t kFileOpenFailed = -1;
constexpr int32_t kFileReadFailed = -2;

// Never returns null; the caller releases the record with free_file_image.
FileImage* load_file_image(const std::string& path);
// Accepts null.
void free_file_image(FileImage* image);

}  // namespace vx::files
