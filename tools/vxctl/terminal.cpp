// The one place that asks the system whether standard error is a terminal, and the
// progress bar drawn there.
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

bool error_stream_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

ProgressBar::ProgressBar(bool always_lines)
    : terminal_(!quiet && error_stream_is_terminal()),
      lines_(!quiet && always_lines && !terminal_) {}

ProgressBar::~ProgressBar() {
    if (drawn_) {
        std::fputc('\n', stderr);
    }
}

void ProgressBar::show(const std::string& step, int done, int total) {
    if (lines_) {
        if (step != last_step_) {
            std::fprintf(stderr, "%s\n", step.c_str());
            last_step_ = step;
        }
        return;
    }
    if (!terminal_ || total <= 0) {
        return;
    }
    // A count that starts over is the next run of steps (a restore's read-back): its own line.
    if (drawn_ && done <= last_done_) {
        std::fputc('\n', stderr);
    }
    last_done_ = done;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(static_cast<long long>(done) * kWidth / total);
    std::fprintf(stderr, "\r[%-*s] %3d%% %d/%d %-28.28s", kWidth,
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 static_cast<int>(static_cast<long long>(done) * 100 / total), done, total,
                 step.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace vx::vxctl
