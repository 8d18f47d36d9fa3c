// Atomic file replacement (temporary file, FlushFileBuffers, MoveFileExW) and
// whole-file reading with the Windows API, on wide paths.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "files/atomic_file.h"
#include "files/atomic_file_detail.h"

namespace vx::files {

namespace {

// The system's text for a Windows error code, as UTF-8 without the line end.
std::string windows_error_text(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string out;
    if (length > 0 && text != nullptr) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr,
                                               0, nullptr, nullptr);
        out.resize(static_cast<std::size_t>(size));
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                              nullptr);
    }
    ::LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
        out.pop_back();
    }
    return out.empty() ? "error " + std::to_string(code) : out;
}

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A new file beside target, named target.XXXXXX, opened for writing. Sets
// temporary; INVALID_HANDLE_VALUE (and GetLastError) when none could be made.
HANDLE create_temporary(const std::filesystem::path& target, DWORD attributes,
                        std::filesystem::path& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long seed =
            (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ ::GetTickCount64() ^
            (counter++ * 0x9E3779B9u);
        wchar_t suffix[8] = L".";
        for (int i = 1; i < 7; ++i) {
            suffix[i] = L"abcdefghijklmnopqrstuvwxyz0123456789"[(seed >> (i * 5)) % 36];
        }
        suffix[7] = L'\0';
        temporary = target;
        temporary += suffix;
        HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string system_error_text(int error) {
    return std::generic_category().message(error);
}

std::string write_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = detail::final_target(path);
    // Moving would replace even a file the user made read-only; refuse as
    // writing in place would. The new file keeps the old one's hidden and
    // system marks.
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    const DWORD old_attributes = ::GetFileAttributesW(target.c_str());
    if (old_attributes != INVALID_FILE_ATTRIBUTES) {
        if ((old_attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return detail::write_failure(path, windows_error_text(ERROR_ACCESS_DENIED));
        }
        if ((old_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return detail::write_failure(path, system_error_text(EISDIR));
        }
        const DWORD kept = old_attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (kept != 0) {
            attributes = kept;
        }
    }
    std::filesystem::path temporary;
    HANDLE file = create_temporary(target, attributes, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return detail::write_failure(path, windows_error_text(::GetLastError()));
    }
    DWORD error = 0;
    if (!write_all(file, bytes) || !::FlushFileBuffers(file)) {
        error = ::GetLastError();
    }
    if (!::CloseHandle(file) && error == 0) {
        error = ::GetLastError();
    }
    // Write-through: the move itself is on the disk before the call returns.
    if (error == 0 && !::MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error != 0) {
        ::DeleteFileW(temporary.c_str());
        return detail::write_failure(path, windows_error_text(error));
    }
    return {};
}

std::string read_whole_file(const std::filesystem::path& path, std::string& bytes,
                            std::size_t max_bytes) {
    bytes.clear();
    // Backup semantics let a folder be opened too, so that it is refused below
    // as a folder rather than with "access denied".
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return detail::read_failure(path, windows_error_text(::GetLastError()));
    }
    const auto fail = [&](std::string reason) {
        ::CloseHandle(file);
        bytes.clear();
        return detail::read_failure(path, reason);
    };
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return fail(windows_error_text(::GetLastError()));
    }
    // Only a file on a disk: a folder, a pipe or a device is refused.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return fail(system_error_text(EISDIR));
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        return fail(system_error_text(EINVAL));
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > max_bytes) {
        ::CloseHandle(file);
        return detail::too_big(path, max_bytes);
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            return fail(windows_error_text(::GetLastError()));
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > max_bytes) {
            ::CloseHandle(file);
            bytes.clear();
            return detail::too_big(path, max_bytes);
        }
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return {};
}

}  // namespace vx::files
