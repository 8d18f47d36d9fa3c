// vxc beside Lua 5.4's compiler on the same generated programs: CPU time, peak memory, ratios.
//
// Each compiler runs as a child process on a file, as an installer runs it;
// wait4 gives the child's own CPU time (user + system, so other work on the
// machine counts little) and its peak resident memory. The in-process figure
// of the editor's Compile comes last, so that it leaves nothing behind in
// this process before the children run. Every figure is the
// least of several runs.   compiler_vs_lua [RUNS]   (default 7)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/generated_programs.h"
#include "compiler/compile_program.h"

namespace {

namespace fs = std::filesystem;
using vx::bench::Dialect;

struct Cost {
    double cpu_ms = 1e300;
    long peak_kb = 0;
    bool failed = false;
};

// The least CPU time and the least peak memory of `runs` runs of the command.
Cost measure(const std::vector<std::string>& command, int runs) {
    Cost best;
    best.peak_kb = -1;
    for (int i = 0; i < runs; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (const std::string& arg : command) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            best.failed = true;
            return best;
        }
        const double ms = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        best.cpu_ms = std::min(best.cpu_ms, ms);
        best.peak_kb = best.peak_kb < 0 ? usage.ru_maxrss : std::min(best.peak_kb, usage.ru_maxrss);
    }
    return best;
}

double process_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Program {
    const char* name;
    std::string (*generate)(int, Dialect);
    int lines;
};

struct Row {
    Cost vxc;
    Cost luac;
};

class Bench {
public:
    Bench(fs::path dir, int runs) : dir_(std::move(dir)), runs_(runs) {}

    std::string stem(const Program& program) const {
        return (dir_ / (std::string(program.name) + "_" + std::to_string(program.lines))).string();
    }

    void write(const Program& program) const {
        std::ofstream(stem(program) + ".prg", std::ios::binary)
            << program.generate(program.lines, Dialect::kVx);
        std::ofstream(stem(program) + ".lua", std::ios::binary)
            << program.generate(program.lines, Dialect::kLua);
    }

    Row run(const Program& program) const {
        const std::string s = stem(program);
        return {measure({VXC_PATH, s + ".prg"}, runs_),
                measure({"luac5.4", "-o", s + ".luac", s + ".lua"}, runs_)};
    }

    // compile_program in this process, as the editor's Compile calls it.
    double in_process_ms(const Program& program) {
        const std::string path = (dir_ / "editor.prg").string();
        std::ofstream(path, std::ios::binary) << program.generate(program.lines, Dialect::kVx);
        double best = 1e300;
        for (int i = 0; i < runs_; ++i) {
            vx::CompileError error;
            const double start = process_cpu_ms();
            const int result = vx::compile_program(path, error);
            best = std::min(best, process_cpu_ms() - start);
            if (result != vx::kCompiled) {
                return -1;
            }
        }
        return best;
    }

private:
    fs::path dir_;
    int runs_;
};

void print_row(const Program& program, const Row& row) {
    if (row.vxc.failed || row.luac.failed) {
        std::printf("%-10s %7d   %s failed to compile the program\n", program.name, program.lines,
                    row.vxc.failed ? "vxc" : "luac5.4");
        return;
    }
    std::printf("%-10s %7d   %8.1f %8.1f %6.2f   %8.1f %8.1f %6.2f\n", program.name, program.lines,
                row.vxc.cpu_ms, row.luac.cpu_ms, row.vxc.cpu_ms / row.luac.cpu_ms,
                row.vxc.peak_kb / 1024.0, row.luac.peak_kb / 1024.0,
                static_cast<double>(row.vxc.peak_kb) / static_cast<double>(row.luac.peak_kb));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::string pattern = (fs::temp_directory_path() / "vx-vs-lua-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("compiler_vs_lua: temporary folder");
        return 1;
    }
    const fs::path dir = pattern;
    Bench bench(dir, runs);

    const Program programs[] = {
        {"mixed", vx::bench::mixed_program, 24000},
        {"straight", vx::bench::straight_program, 200000},
        {"mixed", vx::bench::mixed_program, 2400},
        {"straight", vx::bench::straight_program, 20000},
    };
    // A child's peak memory counts what it inherited before its exec, so the
    // programs are written by a child of their own and this process stays small.
    const pid_t writer = fork();
    if (writer == 0) {
        for (const Program& program : programs) {
            bench.write(program);
        }
        _exit(0);
    }
    int status = 0;
    if (writer < 0 || waitpid(writer, &status, 0) != writer || status != 0) {
        std::fprintf(stderr, "compiler_vs_lua: the programs could not be written\n");
        return 1;
    }
    Row rows[std::size(programs)];
    std::printf("least of %d runs; CPU time (user + system) in ms, peak resident memory in MB\n",
                runs);
    std::printf("%-10s %7s   %8s %8s %6s   %8s %8s %6s\n", "program", "lines", "vxc", "luac",
                "ratio", "vxc MB", "luac MB", "ratio");
    for (std::size_t i = 0; i < std::size(programs); ++i) {
        rows[i] = bench.run(programs[i]);
        print_row(programs[i], rows[i]);
    }
    // A tenth of the program, the same process start-up: the ratio a linear compiler keeps near 10.
    for (std::size_t large = 0; large < 2; ++large) {
        const Row& l = rows[large];
        const Row& s = rows[large + 2];
        std::printf("growth %-8s %d -> %d lines: vxc time x%.2f, luac time x%.2f\n",
                    programs[large].name, programs[large + 2].lines, programs[large].lines,
                    l.vxc.cpu_ms / s.vxc.cpu_ms, l.luac.cpu_ms / s.luac.cpu_ms);
    }
    std::printf("compile_program in process (the editor's Compile), straight 200000: %.1f ms\n",
                bench.in_process_ms(programs[1]));
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
