// What the simulator adds to a request: answering it in-process, judging an uploaded
// program, and a raw loopback round trip, next to the 10 ms the configurator pauses.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "sim/house_file.h"
#include "sim/program_check.h"
#include "sim/requests.h"
#include "sim/simulator_thread.h"

namespace {

using vx::sim::Bytes;

Bytes packet(std::initializer_list<uint8_t> first7) {
    Bytes p(first7);
    p.push_back(vx::sim::packet_checksum(p));
    return p;
}

void answer_request(benchmark::State& bench, const Bytes& request) {
    vx::sim::ControllerState state;
    vx::sim::load_default_house(state);
    vx::sim::Uploads uploads;
    vx::sim::RequestContext context{state, uploads, vx::sim::Port::controller, {}};
    for (auto _ : bench) {
        vx::sim::Outcome outcome = vx::sim::handle_request(context, request);
        benchmark::DoNotOptimize(outcome.reply.data());
    }
}

void BM_AnswerReadVariables(benchmark::State& bench) {
    answer_request(bench, packet({0x1D, 0x04, 0, 0, 0, 0, 0}));
}
BENCHMARK(BM_AnswerReadVariables);

void BM_AnswerModuleIoTable(benchmark::State& bench) {
    answer_request(bench, Bytes(std::begin(vx::sim::kReadModuleIoRequest),
                                std::end(vx::sim::kReadModuleIoRequest)));
}
BENCHMARK(BM_AnswerModuleIoTable);

void BM_AnswerThermostatCommand(benchmark::State& bench) {
    answer_request(bench, packet({0x0A, 0x04, 8, 0, 52, 0, 0}));
}
BENCHMARK(BM_AnswerThermostatCommand);

// A valid compiled program of n blocks of "if (var[i]==5) { var[i+1]=1; };".
Bytes program(std::size_t blocks) {
    Bytes file = {'V', 'X', 'P', 1, 0, 0, 0, 0};
    auto instruction = [&](uint16_t a1, uint8_t t1, uint16_t a2, uint8_t t2, uint8_t op2,
                           uint16_t a3, uint8_t t3, uint8_t op3) {
        const uint8_t b[12] = {uint8_t(a1), uint8_t(a1 >> 8), t1, 0,
                               uint8_t(a2), uint8_t(a2 >> 8), t2, op2,
                               uint8_t(a3), uint8_t(a3 >> 8), t3, op3};
        file.insert(file.end(), b, b + 12);
    };
    for (std::size_t k = 0; k < blocks; ++k) {
        const uint16_t i = uint16_t(k * 6), v = uint16_t(k % 1000);
        instruction(v, 3, 5, 1, 6, 0, 0, 30);
        instruction(2, 1, uint16_t(i + 3), 1, 0, 0, 0, 31);
        instruction(2, 1, uint16_t(i + 5), 1, 0, 0, 0, 31);
        instruction(0, 0, 0, 0, 0, uint16_t(1000 + 2 * k), 1, 33);
        instruction(1, 1, 0, 0, 15, uint16_t(v + 1), 3, 20);
        instruction(0, 0, 0, 0, 0, uint16_t(1001 + 2 * k), 1, 33);
    }
    const uint32_t length = uint32_t(file.size() - 8);
    for (int b = 0; b < 4; ++b) {
        file[4 + b] = uint8_t(length >> (8 * b));
    }
    return file;
}

void BM_CheckCompiledProgram(benchmark::State& bench) {
    const Bytes file = program(static_cast<std::size_t>(bench.range(0)));
    for (auto _ : bench) {
        benchmark::DoNotOptimize(vx::sim::check_compiled_program(file).valid);
    }
    bench.SetBytesProcessed(int64_t(bench.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_CheckCompiledProgram)->Arg(1422)->Arg(10000);  // 100 KiB and 703 KiB

// One 8-byte request and its 8-byte reply over loopback, nothing in between.
void BM_RawRoundTrip(benchmark::State& bench) {
    vx::sim::SimulatorThread sim;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(sim.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        bench.SkipWithError("no connection");
        return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const Bytes request = packet({0x51, 0x0E, 1, 0, 0, 0, 0});
    uint8_t reply[8];
    for (auto _ : bench) {
        ::send(fd, request.data(), request.size(), 0);
        for (std::size_t got = 0; got < sizeof reply;) {
            const ssize_t n = ::recv(fd, reply + got, sizeof reply - got, 0);
            if (n <= 0) {
                break;
            }
            got += std::size_t(n);
        }
    }
    ::close(fd);
    bench.SetLabel("the configurator pauses 10 ms after every send");
}
BENCHMARK(BM_RawRoundTrip)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
