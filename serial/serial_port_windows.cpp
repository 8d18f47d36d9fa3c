// SerialPort on a Win32 communications port (\\.\COMn), with short read time-outs.
#include <windows.h>

#include "serial/Cportfunc.h"

namespace vx {

namespace {

// Long enough not to spin, short enough that the 3000 ms reply limit holds.
constexpr DWORD kReadSliceMs = 50;
constexpr DWORD kWriteLimitMs = 1000;

// The system's text for an error code, in its default language, with a line end.
std::string system_error_text(DWORD code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
        nullptr);
    std::string out = length > 0 && text != nullptr ? std::string(text, length)
                                                    : "error " + std::to_string(code) + "\r\n";
    ::LocalFree(text);
    return out;
}

class Win32Port final : public SerialPort {
public:
    explicit Win32Port(HANDLE handle) : handle_(handle) {}
    ~Win32Port() override { ::CloseHandle(handle_); }
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;

    bool purge(PurgeStep step) override {
        DWORD flags = 0;
        switch (step) {
            case PurgeStep::receive_buffer:
                flags = PURGE_RXCLEAR;
                break;
            case PurgeStep::transmit_buffer:
                flags = PURGE_TXCLEAR;
                break;
            case PurgeStep::pending_reads:
                flags = PURGE_RXABORT;
                break;
            case PurgeStep::pending_writes:
                flags = PURGE_TXABORT;
                break;
        }
        return succeeded(::PurgeComm(handle_, flags));
    }

    long write(const uint8_t* bytes, std::size_t count) override {
        DWORD written = 0;
        if (!succeeded(::WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr))) {
            return -1;
        }
        return static_cast<long>(written);
    }

    long read(uint8_t* bytes, std::size_t count) override {
        DWORD got = 0;
        if (!succeeded(::ReadFile(handle_, bytes, static_cast<DWORD>(count), &got, nullptr))) {
            // A failing port answers at once: wait out the slice so that the
            // caller's loop does not spin until its time limit.
            ::Sleep(kReadSliceMs);
            return -1;
        }
        return static_cast<long>(got);
    }

    std::string last_error_text() const override { return system_error_text(error_); }

private:
    bool succeeded(BOOL ok) {
        if (!ok) {
            error_ = ::GetLastError();
        }
        return ok != FALSE;
    }

    HANDLE handle_;
    DWORD error_ = 0;
};

}  // namespace

std::unique_ptr<SerialPort> open_serial_port(const std::string& device, std::string* error) {
    const HANDLE handle = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    auto fail = [&](DWORD code) -> std::unique_ptr<SerialPort> {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
        if (error != nullptr) {
            std::string text = system_error_text(code);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
                text.pop_back();
            }
            *error = device + ": " + text;
        }
        return nullptr;
    };
    if (handle == INVALID_HANDLE_VALUE) {
        return fail(::GetLastError());
    }
    DCB line{};
    line.DCBlength = sizeof line;
    if (!::GetCommState(handle, &line) ||
        !::BuildCommDCBA("baud=9600 parity=N data=8 stop=1", &line)) {
        return fail(::GetLastError());
    }
    line.fBinary = TRUE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    if (!::SetCommState(handle, &line)) {
        return fail(::GetLastError());
    }
    // A read returns as soon as bytes are there, or with none after the slice;
    // a write gives up after kWriteLimitMs.
    COMMTIMEOUTS limits{};
    limits.ReadIntervalTimeout = MAXDWORD;
    limits.ReadTotalTimeoutMultiplier = MAXDWORD;
    limits.ReadTotalTimeoutConstant = kReadSliceMs;
    limits.WriteTotalTimeoutConstant = kWriteLimitMs;
    if (!::SetCommTimeouts(handle, &limits)) {
        return fail(::GetLastError());
    }
    ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return std::make_unique<Win32Port>(handle);
}

std::string serial_device_name(int port_number) {
    return "\\\\.\\COM" + std::to_string(port_number);
}

std::vector<int> serial_port_numbers() {
    std::vector<int> numbers;
    char target[512];
    for (int n = 1; n <= 256; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (::QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

}  // namespace vx
