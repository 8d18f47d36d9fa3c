// Helpers for the compiler suites: hex bytes, files in a temporary folder, one-call compiles.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/compile_program.h"
#include "compiler/lexer.h"
#include "tests/support/temp_folder.h"

namespace vx::test {

// "03 00 1A" -> the three bytes.
inline std::string bytes(const std::string& hex) {
    std::string out;
    std::istringstream in(hex);
    std::string pair;
    while (in >> pair) {
        out += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return out;
}

inline std::string hex(const std::string& data) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : data) {
        if (!out.empty()) {
            out += ' ';
        }
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::filesystem::path& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir() : path_(create_temp_folder()) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The token list of a source, as the lexer makes it.
inline TokenList tokens_of(const std::string& source) {
    Lexer lexer;
    lexer.set_source(source);
    lexer.tokenize();
    return lexer.take_tokens();
}

struct Compiled {
    int result;
    CompileError error;
    CompiledProgram program;
};

inline Compiled compile(const std::string& source) {
    Compiled c;
    c.result = compile_source(source, c.error, c.program);
    return c;
}

// The instruction bytes of a compile, as hex, one instruction per element.
inline std::vector<std::string> instruction_hex(const CompiledProgram& program) {
    std::vector<std::string> out;
    for (const Instruction& in : program.instructions) {
        const auto b = encode_instruction(in);
        out.push_back(hex(std::string(b.begin(), b.end())));
    }
    return out;
}

// `count` copies of `line`.
inline std::string repeat(const std::string& line, int count) {
    std::string out;
    out.reserve(line.size() * count);
    for (int i = 0; i < count; ++i) {
        out += line;
    }
    return out;
}

}  // namespace vx::test
