// restarter: asks the controller service on this computer to restart, once.
#include <chrono>
#include <cstdio>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "protocol/Socket_func.h"

namespace {

constexpr uint16_t kRestartPort = 2110;  // the service's restart listener (requests go to 2100)
constexpr int kFinalWaitMs = 3000;       // lets the service act before the console window goes

// Only the 8-byte restart request and its echo pass: small buffers suffice.
constexpr std::size_t kSendBufferSize = 1028;
constexpr std::size_t kReceiveBufferSize = 1024;

// Static, as the one connection: made before main, closed after it.
vx::ConnectionWithBuffers<kSendBufferSize, kReceiveBufferSize> connection;

}  // namespace

// Command-line arguments are ignored; the result of the request is not shown.
int main() {
#ifdef _WIN32
    // The lines end in CR LF as written; a text-mode stream would make that CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (vx::connect_to_service(connection, kRestartPort) == 0) {
        std::fputs("Send commands...\r\n", stdout);
        std::fflush(stdout);
        vx::reboot_controller(connection);
    } else {
        std::fputs("Unable to open a socket.\r\n", stdout);
        std::fflush(stdout);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kFinalWaitMs));
    return 0;
}
