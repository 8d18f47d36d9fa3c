// The compile driver: source file to chain listing and compiled program file.
//
// What the program editor calls:
//     vx::CompileError error;
//     int result = vx::compile_program(path, error);
//     if (result == vx::kCompiled) { ...success lines, compiled_file_path(path)... }
//     else if (error.code != vx::fault::kNoFault) { ...diagnostic_line(error), caret at
//                                                   error.column - 1 / error.line - 1... }
//     else { ...compile_failure_message(result, error, path)... }
// Messages are UTF-8; positions are 1-based, 0 : 0 when unknown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/code_generator.h"
#include "compiler/compile_error.h"
#include "compiler/compiled_file.h"
#include "compiler/instruction.h"

namespace vx {

// Results of a compile.
constexpr int kCompiled = 0;
constexpr int kCompileFault = -1;                     // the CompileError holds the fault
constexpr int kOutputCantOpen = kFileCantOpen;        // -2: the .cpl can't be opened for writing
constexpr int kEmptyProgram = kFileNoProgram;         // -3: not a single statement
constexpr int kOutputWriteFailed = kFileWriteFailed;  // -4: the .cpl could not be written in full
// kJumpWithoutLabel (-5, code_generator.h): a jump without its label; can't follow a passed check.
// Only kCompileFault leaves a fault in the record; every other failure leaves code -2.

// What the passes made of a source, in memory.
struct CompiledProgram {
    bool lowered = false;  // the lowering went through; `listing` holds the chain listing
    std::string listing;
    std::vector<Instruction> instructions;  // complete when the result is kCompiled
    // Beside the instructions, never in the compiled file: the statement of each one.
    std::vector<StatementPosition> statement_map;
};

// A compile holds the tokens of a piece of the program at a time: about this
// many, up to the next statement's end.
constexpr std::size_t kPieceTokens = 1024;

// Runs lexer, parser, lowering, listing and code generation on source bytes
// (code page 1251), in pieces of about `piece_tokens` tokens, and writes
// nothing. Result: kCompiled, kCompileFault, kJumpWithoutLabel, or
// kEmptyProgram when the source holds no statement; the same for every piece size.
int compile_source(std::string_view source, CompileError& error, CompiledProgram& program,
                   std::size_t piece_tokens = kPieceTokens);

// Compiles the saved file at `source_path`: writes `source_path`.chain once the
// lowering is through and `source_path`.cpl when code generation succeeds.
// `error` is reset first. A file that can't be read records a code -1 fault
// and writes nothing, so an earlier compile's files stay as they were.
int compile_program(const std::string& source_path, CompileError& error);

std::string chain_file_path(const std::string& source_path);     // "heat.prg" -> "heat.prg.chain"
std::string compiled_file_path(const std::string& source_path);  // "heat.prg" -> "heat.prg.cpl"

// One line for a failed compile, UTF-8: the record's message when it holds a
// fault, else a text of the result (an empty program, an unwritable file).
std::string compile_failure_message(int result, const CompileError& error,
                                    const std::string& source_path);

}  // namespace vx
