// Fuzz target: lexer, parser, lowering, listing and code generator on arbitrary source bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "compiler/compile_program.h"
#include "compiler/compiled_file.h"

namespace {

// A broken promise of the compiler is a crash for the fuzzer to report.
void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "compile_fuzzer: %s\n", what);
        __builtin_trap();
    }
}

void check_compiled(const vx::CompiledProgram& program) {
    const auto& code = program.instructions;
    require(!code.empty(), "a successful compile without instructions");
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i].op3 == vx::kind::kJump) {
            // Every jump goes forward, onto a label instruction.
            require(code[i].arg2 > i && code[i].arg2 < code.size(), "jump target out of range");
            require(code[i].arg2 <= vx::kMaxJumpTarget, "jump target wrapped");
            require(code[code[i].arg2].op3 == vx::kind::kLabel, "jump target is not a label");
        }
        if (code[i].op3 == vx::kind::kCondition) {
            // The lowering's two jumps follow every condition.
            require(i + 2 < code.size() && code[i + 1].op3 == vx::kind::kJump &&
                        code[i + 2].op3 == vx::kind::kJump,
                    "condition without its two jumps");
        }
    }
    std::vector<vx::Instruction> read;
    require(vx::parse_compiled_image(vx::compiled_image(code), read) == vx::ImageFault::kNone &&
                read == code,
            "compiled image does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    vx::CompileError error;
    vx::CompiledProgram program;
    const int result = vx::compile_source(source, error, program);
    switch (result) {
        case vx::kCompiled:
            require(error.code == vx::fault::kNoFault, "success with a fault recorded");
            check_compiled(program);
            break;
        case vx::kCompileFault:
            require(error.code != vx::fault::kNoFault, "a fault without a record");
            require(!vx::compile_error_message(error).empty(), "a fault without a message");
            if (error.code >= 0) {
                require(error.line >= 1 && error.column >= 1, "a numbered fault without position");
            }
            break;
        case vx::kEmptyProgram:
            require(error.code == vx::fault::kNoFault && program.listing.empty(),
                    "an empty program with a fault or a listing");
            break;
        default:
            require(false, "an unexpected compile result");
    }
    return 0;
}
