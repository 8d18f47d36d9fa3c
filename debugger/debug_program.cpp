// Compiling for the debugger: the compiler's passes, its image of the file, and the map.
#include "debugger/debug_program.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "compiler/compile_program.h"
#include "compiler/compiled_file.h"

namespace vx::debugger {

bool DebugProgram::compile(std::string_view source, CompileFailure& failure) {
    CompileError error;
    CompiledProgram program;
    const int result = compile_source(source, error, program);
    if (result != kCompiled) {
        failure = {compile_failure_message(result, error, "программа"), error.line, error.column};
        return false;
    }
    const std::string image = compiled_image(program.instructions);
    image_.assign(image.begin(), image.end());
    map_ = std::move(program.statement_map);
    std::set<int> lines;
    stoppable_.assign(map_.size(), 0);
    for (std::size_t i = 0; i < map_.size(); ++i) {
        const uint8_t kind = program.instructions[i].op3;
        stoppable_[i] = kind != kind::kLabel && kind != kind::kJump;
        if (stoppable_[i]) {
            lines.insert(map_[i].line);
        }
    }
    lines_.assign(lines.begin(), lines.end());
    std::set<int> used;
    for (const Instruction& in : program.instructions) {
        const bool call = in.op3 == kind::kCall;
        if (in.type1 == operand::kVariable && !call) {
            used.insert(in.arg1);
        }
        if (in.type2 == operand::kVariable) {
            used.insert(in.arg2);
        }
        if (in.type3 == operand::kVariable) {
            used.insert(in.arg3);
        }
    }
    variables_.assign(used.begin(), used.end());
    return true;
}

bool DebugProgram::compile_file(const std::string& path, CompileFailure& failure) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failure = {"Не удалось открыть файл программы " + path + ".", 0, 0};
        return false;
    }
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    if (in.bad()) {
        failure = {"Не удалось прочитать файл программы " + path + ".", 0, 0};
        return false;
    }
    return compile(source, failure);
}

std::optional<int> DebugProgram::line_with_code(int line) const {
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), line);
    if (it == lines_.end()) {
        return std::nullopt;
    }
    return *it;
}

}  // namespace vx::debugger
