// Deterministic generated programs, in our language or as the same statements in Lua.
#pragma once

#include <cstdint>
#include <string>

namespace vx::bench {

enum class Dialect { kVx, kLua };

// A small deterministic generator, so every run compiles the same programs.
class Numbers {
public:
    int next(int limit) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<uint64_t>(limit));
    }

private:
    uint64_t state_ = 0x5EEDULL;
};

// Writes statements in one dialect; every number is drawn before the text is
// built, so both dialects get the same program from the same sequence.
class ProgramWriter {
public:
    explicit ProgramWriter(Dialect dialect) : lua_(dialect == Dialect::kLua) {
        if (lua_) {
            out_ += "local v = {}\r\n";
        }
    }

    std::string var() { return (lua_ ? "v[" : "var[") + std::to_string(numbers_.next(1024)) + "]"; }
    std::string number(int limit, int base = 0) {
        return std::to_string(base + numbers_.next(limit));
    }
    const char* end() const { return lua_ ? "" : ";"; }
    const char* negation() const { return lua_ ? "not " : "!"; }
    bool lua() const { return lua_; }

    void line(const std::string& text) { out_ += text + "\r\n"; }
    std::string take() { return std::move(out_); }

private:
    bool lua_;
    Numbers numbers_;
    std::string out_;
};

// A realistic mix in units of ten lines: assignments, calls, an if/else with an
// if nested in its then-block (two ifs per unit: a fifth of the lines), and
// every fifth unit a goto to a label two units further down.
inline std::string mixed_program(int lines, Dialect dialect = Dialect::kVx) {
    ProgramWriter w(dialect);
    const bool lua = w.lua();
    const int units = lines / 10;
    for (int u = 0; u < units; ++u) {
        std::string a = w.var(), b = w.var(), c = w.number(100);
        w.line(a + "=" + b + "+" + c + w.end());
        a = w.var(), c = w.number(128, 1);
        w.line(a + "=GetUnitData(" + c + ")" + w.end());
        a = w.var(), c = w.number(50);
        w.line(lua ? "if " + a + ">=" + c + " then" : "if (" + a + ">=" + c + ") {");
        a = w.var(), b = w.var();
        w.line("    " + a + "=" + b + "*2" + w.end() + (lua ? "  -- doubled" : "  # doubled"));
        a = w.var(), b = w.var();
        std::string r = w.var(), m = w.number(128, 1), e = w.var();
        const std::string call = r + "=Set_Relay_State(" + m + ",2," + e + ")" + w.end();
        w.line(lua ? "    if " + a + "<" + b + " then " + call + " end"
                   : "    if (" + a + "$<" + b + ") { " + call + " };");
        w.line(lua ? "else" : "} else {");
        a = w.var(), b = w.var();
        w.line("    " + a + "=" + w.negation() + b + w.end());
        w.line(lua ? "end" : "};");
        const bool jumps = u % 5 == 0 && u / 5 <= 511 && u + 2 < units;
        if (jumps) {
            const std::string k = std::to_string(u / 5);
            w.line(lua ? "goto L" + k : "goto label[" + k + "];");
        } else {
            a = w.var(), b = w.var();
            w.line(a + "=StartTimer(1," + b + ")" + w.end());
        }
        const bool lands = u >= 2 && (u - 2) % 5 == 0 && (u - 2) / 5 <= 511;
        if (lands) {
            const std::string k = std::to_string((u - 2) / 5);
            w.line(lua ? "::L" + k + "::" : "label[" + k + "]:");
        } else {
            a = w.var(), b = w.var();
            w.line(a + "=" + b + "%7" + w.end());
        }
    }
    return w.take();
}

// Statements without a single jump: assignments of each form and calls.
inline std::string straight_program(int lines, Dialect dialect = Dialect::kVx) {
    ProgramWriter w(dialect);
    for (int i = 0; i < lines; ++i) {
        const std::string a = w.var(), b = w.var();
        switch (i % 4) {
            case 0:
                w.line(a + "=" + b + "-" + w.number(65536) + w.end());
                break;
            case 1:
                w.line(a + "=" + w.negation() + b + w.end());
                break;
            case 2:
                w.line(a + "=ReadInt16Register(1,2," + b + ",4,5)" + w.end());
                break;
            default:
                w.line(a + "=" + b + w.end());
                break;
        }
    }
    return w.take();
}

}  // namespace vx::bench
