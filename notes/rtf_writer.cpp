// The RTF writer: header, font table, escaped text and character formats.
#include "notes/rtf_writer.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "files/codepage.h"

namespace vx::notes {

namespace {

// RTF sizes are half-points; word processors accept up to 1638 points.
constexpr int smallest_half_points = 1;
constexpr int largest_half_points = 3276;

int half_points(double size_pt) {
    if (!(size_pt > 0)) {  // also NaN
        return static_cast<int>(default_font_size_pt * 2);
    }
    const double half = std::round(size_pt * 2);
    if (half < smallest_half_points) {
        return smallest_half_points;
    }
    if (half > largest_half_points) {
        return largest_half_points;
    }
    return static_cast<int>(half);
}

// Control characters carry no text in the notes pane; a reader would drop them too.
bool is_control(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

class Emitter {
public:
    // A control word; the blank that may have to end it is added only when
    // literal text follows, so "\b0\i " stays compact.
    void word(std::string_view name) {
        out_ += '\\';
        out_ += name;
        pending_delimiter_ = true;
    }

    void literal(char c) {
        if (pending_delimiter_) {
            out_ += ' ';
            pending_delimiter_ = false;
        }
        out_ += c;
    }

    // A symbol or escape that starts with a backslash ends any control word before it.
    void raw(std::string_view text) {
        out_ += text;
        pending_delimiter_ = false;
    }

    void line_end() { raw("\r\n"); }

    void character(char32_t cp) {
        static constexpr char hex[] = "0123456789abcdef";
        if (cp == '\\' || cp == '{' || cp == '}') {
            raw("\\");
            out_ += static_cast<char>(cp);
        } else if (cp == '\t') {
            word("tab");
        } else if (cp == '\n' || cp == 0x2028) {
            word("line");
        } else if (is_control(cp)) {
            return;
        } else if (cp < 0x80) {
            literal(static_cast<char>(cp));
        } else if (const auto byte = files::cp1251_byte(cp)) {
            raw("\\'");
            out_ += hex[*byte >> 4];
            out_ += hex[*byte & 0xF];
        } else if (cp < 0x10000) {
            unicode(cp);
        } else {
            // Outside the 16-bit range: a surrogate pair, each half with its own fallback.
            const char32_t v = cp - 0x10000;
            unicode(0xD800 + (v >> 10));
            unicode(0xDC00 + (v & 0x3FF));
        }
    }

    void text(std::string_view utf8) {
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            character(files::next_utf8(utf8, pos));
        }
    }

    std::string take() { return std::move(out_); }

private:
    // \uN takes a signed 16-bit N; '?' is the one fallback character (\uc1)
    // for readers that know no Unicode.
    void unicode(char32_t cp) {
        const int16_t n = static_cast<int16_t>(static_cast<uint16_t>(cp));
        raw("\\u" + std::to_string(n) + "?");
    }

    std::string out_;
    bool pending_delimiter_ = false;
};

void switch_format(Emitter& e, const CharFormat& from, const CharFormat& to) {
    if (from.bold != to.bold) {
        e.word(to.bold ? "b" : "b0");
    }
    if (from.italic != to.italic) {
        e.word(to.italic ? "i" : "i0");
    }
    if (from.underline != to.underline) {
        e.word(to.underline ? "ul" : "ulnone");
    }
}

}  // namespace

std::string write_rtf(const Document& document) {
    Emitter e;
    e.raw("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204");
    e.literal(' ');
    e.text(storable_font_name(document.font_name));
    e.raw(";}}");
    e.line_end();
    e.word("viewkind4");
    e.word("uc1");
    e.word("pard");
    e.word("f0");
    e.word("fs" + std::to_string(half_points(document.font_size_pt)));
    CharFormat current;
    for (const Paragraph& paragraph : document.paragraphs) {
        for (const Run& run : paragraph.runs) {
            switch_format(e, current, run.format);
            current = run.format;
            e.text(run.text);
        }
        e.word("par");
        e.line_end();
    }
    e.raw("}");
    e.line_end();
    return e.take();
}

}  // namespace vx::notes
