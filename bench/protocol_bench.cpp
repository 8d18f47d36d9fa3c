// Request round trip and 1 MiB transfer throughput of the controller protocol
// against a local echo peer, printed next to their floors.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_log.h"

namespace {

// A peer that answers every packet with its first 8 bytes: the echo the
// requests and the transfer packets expect. It reads the 1020 further bytes of
// a transfer data packet (51 08|0A 01) before answering.
class EchoPeer {
public:
    EchoPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~EchoPeer() {
        thread_.join();  // ends when the client closes
        ::close(listener_);
    }
    uint16_t port() const { return port_; }

private:
    static bool read_full(int socket, uint8_t* into, std::size_t count) {
        for (std::size_t got = 0; got < count;) {
            const ssize_t n = ::recv(socket, into + got, count - got, 0);
            if (n <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    void serve() {
        const int client = ::accept(listener_, nullptr, nullptr);
        uint8_t packet[1028];
        while (read_full(client, packet, 8)) {
            const bool data_packet =
                packet[0] == 0x51 && (packet[1] == 0x08 || packet[1] == 0x0A) && packet[2] == 0x01;
            if (data_packet && !read_full(client, packet + 8, 1020)) {
                break;
            }
            ::send(client, packet, 8, MSG_NOSIGNAL);
        }
        ::close(client);
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void RequestRoundTrip(benchmark::State& state) {
    EchoPeer peer;
    vx::ControllerConnection c;
    if (vx::connect_to_service(c, peer.port()) != 0) {
        state.SkipWithError("cannot connect to the echo peer");
        return;
    }
    std::vector<double> round_trips_ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int result = vx::reboot_controller(c);  // 8 bytes out, 8-byte echo back
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (result != vx::kDone) {
            state.SkipWithError("the echo peer did not answer");
            break;
        }
        round_trips_ms.push_back(took.count());
    }
    vx::close_connection(c);
    state.counters["median_ms"] = median(round_trips_ms);
    state.counters["floor_ms"] = vx::kSendPauseMs;
}
BENCHMARK(RequestRoundTrip)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument 1 sets an observer that keeps every record in an exchange log, as
// the monitor window does; 0 leaves the connection unobserved.
void Transfer1MiB(benchmark::State& state) {
    constexpr int32_t kSize = 1 << 20;
    std::vector<uint8_t> data(kSize);
    for (int32_t i = 0; i < kSize; ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    EchoPeer peer;
    vx::ControllerConnection c;
    if (vx::connect_to_service(c, peer.port()) != 0) {
        state.SkipWithError("cannot connect to the echo peer");
        return;
    }
    vx::ExchangeLog log;
    if (state.range(0) != 0) {
        c.observer = [&log](const vx::ExchangeRecord& r) { log.add(r); };
    }
    state.SetLabel(state.range(0) != 0 ? "observed" : "no observer");
    double seconds = 0;
    for (auto _ : state) {
        vx::files::FileImage image{kSize, 0, data.data()};
        const auto start = std::chrono::steady_clock::now();
        bool ok = vx::transfer_begin(c, image, vx::kTransferFirmware) == 0;
        while (ok && image.position < image.size) {
            ok = vx::transfer_chunk(c, image, vx::kTransferFirmware) == 0;
        }
        ok = ok && vx::transfer_end(c, vx::kTransferFirmware) == 0;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok) {
            state.SkipWithError("the transfer failed");
            break;
        }
    }
    vx::close_connection(c);
    const double kib = static_cast<double>(kSize) / 1024 * static_cast<double>(state.iterations());
    state.counters["KiB_per_s"] = seconds > 0 ? kib / seconds : 0;
    // The most the pause allows: one 1024-byte data packet per 10 ms.
    state.counters["pause_limit_KiB_per_s"] = 1000.0 / vx::kSendPauseMs;
    state.counters["exchanges_logged"] = static_cast<double>(log.records().size());
}
BENCHMARK(Transfer1MiB)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
