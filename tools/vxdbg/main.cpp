// vxdbg: the debug adapter an editor starts, speaking over standard input and output.
#include <cstdio>
#include <iostream>

#include "dap_adapter.h"
#include "dap_framing.h"

int main() {
    std::ios::sync_with_stdio(false);
    // Answers go out from the run thread too: reading must not flush them from this one.
    std::cin.tie(nullptr);
    vx::vxdbg::DapAdapter adapter(
        [](const std::string& body) { std::cout << vx::vxdbg::frame_message(body) << std::flush; });
    std::string problem;
    while (auto body = vx::vxdbg::read_message(std::cin, problem)) {
        if (!problem.empty()) {
            adapter.reject(problem);
            continue;
        }
        if (!adapter.handle(*body)) {
            break;
        }
    }
    return 0;
}
