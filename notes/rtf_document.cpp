// Building notes documents from plain text and getting their text back.
#include "notes/rtf_document.h"

#include <utility>

#include "files/codepage.h"

namespace vx::notes {

void Paragraph::append(std::string_view text, CharFormat format) {
    if (text.empty()) {
        return;
    }
    if (!runs.empty() && runs.back().format == format) {
        runs.back().text += text;
    } else {
        runs.push_back({std::string(text), format});
    }
}

std::string Paragraph::text() const {
    std::string out;
    for (const Run& run : runs) {
        out += run.text;
    }
    return out;
}

namespace {

bool is_control(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// Plain text may hold stray control characters (a file that is not text at
// all); only the tab means something in a paragraph. Broken UTF-8 becomes U+FFFD.
void append_visible(Paragraph& paragraph, std::string_view line) {
    std::string visible;
    visible.reserve(line.size());
    std::size_t pos = 0;
    while (pos < line.size()) {
        const char32_t cp = files::next_utf8(line, pos);
        if (cp == '\t' || !is_control(cp)) {
            files::append_utf8(visible, cp);
        }
    }
    paragraph.append(visible, {});
}

}  // namespace

Document document_from_text(std::string_view utf8_text, std::string font_name,
                            double font_size_pt) {
    Document document;
    document.font_name = std::move(font_name);
    document.font_size_pt = font_size_pt;
    std::size_t start = 0;
    for (std::size_t i = 0; i < utf8_text.size(); ++i) {
        const char c = utf8_text[i];
        if (c != '\n' && c != '\r') {
            continue;
        }
        append_visible(document.paragraphs.back(), utf8_text.substr(start, i - start));
        document.paragraphs.emplace_back();
        if (c == '\r' && i + 1 < utf8_text.size() && utf8_text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    append_visible(document.paragraphs.back(), utf8_text.substr(start));
    return document;
}

std::string document_text(const Document& document) {
    std::string out;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        if (i > 0) {
            out += '\n';
        }
        const std::string text = document.paragraphs[i].text();
        for (std::size_t pos = 0;;) {
            const std::size_t brk = text.find(line_break, pos);
            out.append(text, pos, brk == std::string::npos ? std::string::npos : brk - pos);
            if (brk == std::string::npos) {
                break;
            }
            out += '\n';
            pos = brk + line_break.size();
        }
    }
    return out;
}

std::string storable_font_name(std::string_view name) {
    std::string out;
    std::size_t pos = 0;
    while (pos < name.size()) {
        const char32_t cp = files::next_utf8(name, pos);
        if (cp != ';' && cp != 0x2028 && !is_control(cp)) {
            files::append_utf8(out, cp);
        }
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

}  // namespace vx::notes
