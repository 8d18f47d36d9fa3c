// The compile driver: chains the passes and writes the two files.
#include "compiler/compile_program.h"

#include <cerrno>

#include "compiler/Utils.h"
#include "compiler/chain_listing.h"
#include "compiler/lexer.h"
#include "compiler/lowering.h"
#include "compiler/parser.h"

namespace vx {

namespace {

int run_passes(TokenList& tokens, CompileError& error, CompiledProgram& program) {
    Parser parser(tokens, error);
    const int checked = parser.check_program();
    if (checked == kStrayCloseBrace) {
        record_own_fault(error, kExtraBraceText, 0, 0);
        return kCompileFault;
    }
    if (checked != kProgramChecked) {
        return kCompileFault;
    }
    IfElseLowering lowering(tokens, error, kFirstGeneratedLabel);
    if (lowering.lower_if_else() != 0) {
        return kCompileFault;
    }
    program.lowered = true;
    program.listing = chain_listing(tokens.first());

    CodeGenerator generator(tokens, error);
    const int generated = generator.generate_code();
    if (generated != 0) {
        return generated;
    }
    program.instructions = generator.take_instructions();
    return program.instructions.empty() ? kEmptyProgram : kCompiled;
}

std::string system_error_text(int saved_errno) {
    errno = saved_errno;
    std::string text = last_system_error_text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

int compile_source(std::string_view source, CompileError& error, CompiledProgram& program) {
    program = CompiledProgram{};
    Lexer lexer;
    lexer.set_source(source);
    lexer.tokenize();
    TokenList tokens = lexer.take_tokens();
    return run_passes(tokens, error, program);
}

int compile_program(const std::string& source_path, CompileError& error) {
    error = CompileError{};
    TokenList tokens;
    {
        Lexer lexer;
        if (lexer.load_source(source_path) != kSourceLoaded) {
            // Going on with an empty program would empty the .cpl of an earlier compile.
            record_own_fault(error,
                             "Не удалось прочитать файл программы " + source_path + ": " +
                                 system_error_text(lexer.load_errno()),
                             0, 0);
            return kCompileFault;
        }
        lexer.tokenize();
        tokens = lexer.take_tokens();
    }
    CompiledProgram program;
    const int result = run_passes(tokens, error, program);
    tokens.clear();
    if (program.lowered) {
        // The listing is a by-product: failing to write it does not fail the compile.
        write_chain_file_text(program.listing, chain_file_path(source_path));
    }
    if (result != kCompiled && result != kEmptyProgram) {
        return result;
    }
    return write_compiled_file(program.instructions, compiled_file_path(source_path));
}

std::string chain_file_path(const std::string& source_path) {
    return source_path + ".chain";
}

std::string compiled_file_path(const std::string& source_path) {
    return source_path + ".cpl";
}

std::string compile_failure_message(int result, const CompileError& error,
                                    const std::string& source_path) {
    if (error.code != fault::kNoFault) {
        return compile_error_message(error);
    }
    switch (result) {
        case kEmptyProgram:
            return "В программе нет ни одного оператора: компилировать нечего.";
        case kOutputCantOpen:
            return "Не удалось открыть для записи файл " + compiled_file_path(source_path) + ".";
        case kOutputWriteFailed:
            return "Не удалось полностью записать файл " + compiled_file_path(source_path) +
                   ": программа не сохранена.";
        case kJumpWithoutLabel:
            return "Внутренняя ошибка транслятора: переход на отсутствующую метку.";
        default:
            return "Компиляция не удалась (код " + int_to_text(result) + ").";
    }
}

}  // namespace vx
