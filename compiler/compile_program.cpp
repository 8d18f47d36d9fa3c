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

// The passes over one piece of tokens after another. The first fault in the
// order of the passes wins, as if each had gone over the whole program before
// the next: a parser fault anywhere beats a lowering fault in an earlier
// piece, which beats a code generator fault. Once a later pass has failed it
// stops, and the earlier ones go on to the end to look for their own faults.
class PieceByPiece {
public:
    explicit PieceByPiece(CompileError& error)
        : error_(error),
          parser_(error),
          lowering_(tokens_, lowering_error_, kFirstGeneratedLabel),
          generator_(generator_error_) {}

    int run(Lexer& lexer, std::size_t piece_tokens, CompiledProgram& program) {
        // A listing is about as long as its source and a 12-byte instruction
        // stands for some dozen source bytes: room reserved for more is only
        // address space until it is written.
        listing_.reserve(lexer.source_size() * 2);
        generator_.reserve(lexer.source_size() / 6);
        lexer.start();
        Token* carried = nullptr;  // the previous piece's last token, already through the passes
        while (lexer.next_piece(tokens_, piece_tokens)) {
            Token* fresh = carried != nullptr ? carried->next : tokens_.first();
            const int checked = parser_.check_statements(fresh);
            if (checked == kStrayCloseBrace) {
                record_own_fault(error_, kExtraBraceText, 0, 0);
                return kCompileFault;
            }
            if (checked != kPassed) {
                return kCompileFault;
            }
            if (lowered_ && (lowered_ = lowering_.lower_from(fresh) == kPassed)) {
                // The lowering may have put tokens right after the carried one.
                fresh = carried != nullptr ? carried->next : tokens_.first();
                listing_.add(fresh);
                generated_ = generated_ && generator_.generate_from(fresh) == kPassed;
            }
            tokens_.keep_last();
            carried = tokens_.first();
        }
        if (parser_.finish() != kPassed) {
            return kCompileFault;
        }
        if (!lowered_ || lowering_.finish() != kPassed) {
            adopt(lowering_error_);
            return kCompileFault;
        }
        program.lowered = true;
        program.listing = std::move(listing_.text());
        const int generated = generated_ ? generator_.resolve_jumps() : kPassFailed;
        if (generated != kPassed) {
            adopt(generator_error_);
            return generated;
        }
        program.instructions = generator_.take_instructions();
        program.statement_map = generator_.take_statement_map();
        return program.instructions.empty() ? kEmptyProgram : kCompiled;
    }

private:
    void adopt(const CompileError& fault) {
        if (fault.code != fault::kNoFault) {
            error_ = fault;
        }
    }

    CompileError& error_;
    CompileError lowering_error_;
    CompileError generator_error_;
    TokenList tokens_;
    Parser parser_;
    IfElseLowering lowering_;
    CodeGenerator generator_;
    ChainListingWriter listing_;
    bool lowered_ = true;    // the lowering has not failed
    bool generated_ = true;  // nor the code generator
};

std::string system_error_text(int saved_errno) {
    errno = saved_errno;
    std::string text = last_system_error_text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

int compile_source(std::string_view source, CompileError& error, CompiledProgram& program,
                   std::size_t piece_tokens) {
    program = CompiledProgram{};
    Lexer lexer;
    lexer.set_source(source);
    return PieceByPiece(error).run(lexer, piece_tokens, program);
}

int compile_program(const std::string& source_path, CompileError& error) {
    error = CompileError{};
    Lexer lexer;
    if (lexer.load_source(source_path) != kSourceLoaded) {
        // Going on with an empty program would empty the .cpl of an earlier compile.
        record_own_fault(error,
                         "Не удалось прочитать файл программы " + source_path + ": " +
                             system_error_text(lexer.load_errno()),
                         0, 0);
        return kCompileFault;
    }
    CompiledProgram program;
    const int result = PieceByPiece(error).run(lexer, kPieceTokens, program);
    if (program.lowered) {
        // The listing is a by-product: failing to write it does not fail the compile.
        write_chain_file(program.listing, chain_file_path(source_path));
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
