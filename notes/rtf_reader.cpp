// The RTF reader: a group state stack over the lexer's tokens, destinations, code pages.
#include "notes/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "files/codepage.h"
#include "notes/rtf_control_words.h"
#include "notes/rtf_lexer.h"

namespace vx::notes {

namespace {

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// Code pages whose bytes below 0x80 are ASCII, so that text in plain ASCII
// (most of any file) needs no converter.
bool keeps_ascii(int code_page) {
    return code_page == 437 || code_page == 850 || code_page == 866 || code_page == 874 ||
           (code_page >= 1250 && code_page <= 1258) || (code_page >= 932 && code_page <= 950) ||
           code_page == 1361 || code_page == 10000 || code_page == 10007 || code_page == 20866 ||
           code_page == 21866 || (code_page >= 28591 && code_page <= 28605) || code_page == 65001;
}

// Opening an iconv converter costs far more than reading a short file, so
// each thread keeps its converters from one read to the next.
files::CodePageDecoder& thread_decoder() {
    thread_local files::CodePageDecoder decoder;
    return decoder;
}

enum class Destination : uint8_t { body, font_table, skipped };

// Everything a group inherits from its parent and gets back at its end.
struct GroupState {
    Destination destination = Destination::body;
    CharFormat format;
    bool hidden = false;
    int font = -1;         // -1: the document's default font
    int font_size = 24;    // half-points; 12 points unless the file says otherwise
    int unicode_skip = 1;  // fallback characters after \uN
};

struct FontEntry {
    std::string name;  // UTF-8
    bool name_done = false;
    int charset = -1;
    int code_page = 0;
};

// Word processors accept sizes up to 1638 points.
constexpr int largest_font_size = 3276;
// A font table longer than this is nonsense; further entries are ignored.
constexpr std::size_t max_fonts = 4096;

bool is_dropped(char32_t cp) {
    return (cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp <= 0x9F);
}

bool flag_value(const RtfToken& t) {
    return !t.has_param || t.param != 0;
}

class Reader {
public:
    explicit Reader(std::string_view rtf) : lexer_(rtf) {}

    ReadResult run();

private:
    GroupState& state() { return stack_.back(); }
    void open_group();
    void close_group();
    void control_word(const RtfToken& token);
    void control_symbol(char symbol);
    void text_byte(char byte);
    void flush_bytes();
    void unicode_character(int32_t n);
    void put(char32_t cp);
    void settle_surrogate();
    void deliver(char32_t cp);
    void end_paragraph();
    void end_row();
    void note_first_content();
    int code_page();
    int effective_font() { return state().font < 0 ? default_font_ : state().font; }
    FontEntry* font_entry(int number);
    void finish(ReadResult& result);

    RtfLexer lexer_;
    files::CodePageDecoder& decoder_ = thread_decoder();
    std::vector<GroupState> stack_;
    int skipped_depth_ = 0;  // groups open beyond max_group_depth
    bool too_deep_ = false;
    bool ended_ = false;  // the document's outermost group closed

    std::string pending_bytes_;  // text bytes not yet decoded; all in one code page
    int fallback_to_skip_ = 0;
    char32_t high_surrogate_ = 0;

    int document_code_page_ = 1252;
    int default_font_ = 0;
    std::map<int, FontEntry> fonts_;
    int font_table_entry_ = -1;

    bool content_seen_ = false;
    int content_font_ = 0;
    int content_font_size_ = 24;
    Document document_;
};

ReadResult Reader::run() {
    for (;;) {
        const RtfToken token = lexer_.next();
        using Kind = RtfToken::Kind;
        if (token.kind == Kind::end) {
            break;
        }
        if (skipped_depth_ > 0) {
            skipped_depth_ += token.kind == Kind::group_open;
            skipped_depth_ -= token.kind == Kind::group_close;
            continue;
        }
        if (token.kind == Kind::group_open) {
            open_group();
            continue;
        }
        if (token.kind == Kind::group_close) {
            close_group();
            if (ended_) {
                break;
            }
            continue;
        }
        // Fallback text after \uN: every token counts as one character, up to
        // the end of the group.
        if (fallback_to_skip_ > 0) {
            --fallback_to_skip_;
            continue;
        }
        if (state().destination == Destination::skipped) {
            continue;
        }
        switch (token.kind) {
            case Kind::control_word:
                control_word(token);
                break;
            case Kind::control_symbol:
                control_symbol(token.symbol);
                break;
            default:
                text_byte(token.symbol);
                break;
        }
    }
    ReadResult result;
    finish(result);
    return result;
}

void Reader::open_group() {
    flush_bytes();
    fallback_to_skip_ = 0;
    if (stack_.size() >= static_cast<std::size_t>(max_group_depth)) {
        too_deep_ = true;
        skipped_depth_ = 1;
        return;
    }
    stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
}

void Reader::close_group() {
    flush_bytes();
    fallback_to_skip_ = 0;
    // Half a surrogate pair ends with its group: left waiting, it would turn up
    // in whatever comes next, such as the body after a font table.
    settle_surrogate();
    if (stack_.back().destination == Destination::font_table &&
        (stack_.size() == 1 || stack_[stack_.size() - 2].destination != Destination::font_table)) {
        font_table_entry_ = -1;
    }
    stack_.pop_back();
    ended_ = stack_.empty();
}

void Reader::control_word(const RtfToken& t) {
    flush_bytes();
    const ControlWord* word = find_control_word(t.word);
    if (word == nullptr) {
        return;  // unknown control words are ignored, as RTF asks
    }
    GroupState& s = state();
    const int32_t n = t.param;
    switch (word->action) {
        case ControlAction::character:
            put(word->character);
            break;
        case ControlAction::paragraph:
            end_paragraph();
            break;
        case ControlAction::section:
            if (!document_.paragraphs.back().empty()) {
                end_paragraph();
            }
            break;
        case ControlAction::row:
            end_row();
            break;
        case ControlAction::bold:
            s.format.bold = flag_value(t);
            break;
        case ControlAction::italic:
            s.format.italic = flag_value(t);
            break;
        case ControlAction::underline:
            s.format.underline = flag_value(t);
            break;
        case ControlAction::underline_none:
            s.format.underline = false;
            break;
        case ControlAction::hidden:
            s.hidden = flag_value(t);
            break;
        case ControlAction::plain:
            s.format = {};
            s.hidden = false;
            s.font = -1;
            s.font_size = 24;
            break;
        case ControlAction::font:
            if (!t.has_param || n < 0) {
                break;
            }
            if (s.destination == Destination::font_table) {
                font_table_entry_ = n;
                if (FontEntry* entry = font_entry(n)) {
                    *entry = FontEntry{};
                }
            } else {
                s.font = n;
            }
            break;
        case ControlAction::font_size:
            if (t.has_param && n >= 1 && n <= largest_font_size) {
                s.font_size = n;
            }
            break;
        case ControlAction::font_charset:
            if (s.destination == Destination::font_table && t.has_param) {
                if (FontEntry* entry = font_entry(font_table_entry_)) {
                    entry->charset = n;
                }
            }
            break;
        case ControlAction::font_code_page:
            if (s.destination == Destination::font_table && t.has_param && n > 0) {
                if (FontEntry* entry = font_entry(font_table_entry_)) {
                    entry->code_page = n;
                }
            }
            break;
        case ControlAction::default_font:
            if (t.has_param && n >= 0) {
                default_font_ = n;
            }
            break;
        case ControlAction::ansi_code_page:
            if (t.has_param && n > 0) {
                document_code_page_ = n;
            }
            break;
        case ControlAction::character_set:
            document_code_page_ = static_cast<int>(word->character);
            break;
        case ControlAction::unicode:
            if (t.has_param) {
                unicode_character(n);
                fallback_to_skip_ = s.unicode_skip;
            }
            break;
        case ControlAction::unicode_skip:
            if (t.has_param && n >= 0) {
                s.unicode_skip = n;
            }
            break;
        case ControlAction::font_table:
            s.destination = Destination::font_table;
            font_table_entry_ = -1;
            break;
        case ControlAction::skip_destination:
            s.destination = Destination::skipped;
            break;
    }
}

void Reader::control_symbol(char symbol) {
    switch (symbol) {
        case '\\':
        case '{':
        case '}':
            text_byte(symbol);
            return;
        default:
            break;
    }
    flush_bytes();
    switch (symbol) {
        case '*':
            state().destination = Destination::skipped;
            break;  // an optional destination
        case '~':
            put(0x00A0);
            break;  // non-breaking space
        case '-':
            put(0x00AD);
            break;  // optional hyphen
        case '_':
            put(0x2011);
            break;  // non-breaking hyphen
        case '\r':
        case '\n':
            end_paragraph();
            break;  // "\" before a line end is \par
        default:
            break;
    }
}

void Reader::text_byte(char byte) {
    if (state().destination == Destination::font_table && byte == ';') {
        flush_bytes();
        if (FontEntry* entry = font_entry(font_table_entry_)) {
            entry->name_done = true;
        }
        return;
    }
    pending_bytes_ += byte;
}

// Decodes the collected bytes at once, so that a double-byte character written
// as two \'hh escapes comes out whole.
void Reader::flush_bytes() {
    if (pending_bytes_.empty()) {
        return;
    }
    const bool ascii = std::all_of(pending_bytes_.begin(), pending_bytes_.end(),
                                   [](char c) { return static_cast<uint8_t>(c) < 0x80; });
    const int pending_code_page = code_page();
    if (ascii && keeps_ascii(pending_code_page)) {
        for (const char c : pending_bytes_) {
            put(static_cast<uint8_t>(c));
        }
        pending_bytes_.clear();
        return;
    }
    std::string utf8;
    if (!decoder_.decode(pending_bytes_, pending_code_page, utf8) &&
        !decoder_.decode(pending_bytes_, document_code_page_, utf8) &&
        !decoder_.decode(pending_bytes_, 1252, utf8)) {
        for (const char c : pending_bytes_) {
            files::append_utf8(utf8,
                               static_cast<uint8_t>(c) < 0x80 ? c : files::replacement_character);
        }
    }
    pending_bytes_.clear();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        put(files::next_utf8(utf8, pos));
    }
}

// \uN is a signed 16-bit number; characters past U+FFFF come as two \uN, a surrogate pair.
void Reader::unicode_character(int32_t n) {
    if (n < 0) {
        n += 0x10000;
    }
    const char32_t cp = n < 0 ? files::replacement_character : static_cast<char32_t>(n);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        settle_surrogate();
        high_surrogate_ = cp;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (high_surrogate_ != 0) {
            const char32_t whole = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (cp - 0xDC00);
            high_surrogate_ = 0;
            deliver(whole);
        } else {
            put(files::replacement_character);
        }
    } else {
        put(cp);
    }
}

// Every character goes through here; a high surrogate still waiting for its
// partner turns into U+FFFD.
void Reader::put(char32_t cp) {
    settle_surrogate();
    deliver(cp);
}

void Reader::settle_surrogate() {
    if (high_surrogate_ != 0) {
        high_surrogate_ = 0;
        deliver(files::replacement_character);
    }
}

void Reader::deliver(char32_t cp) {
    if (is_dropped(cp)) {
        return;
    }
    const GroupState& s = state();
    if (s.destination == Destination::font_table) {
        FontEntry* entry = font_entry(font_table_entry_);
        if (entry != nullptr && !entry->name_done && cp != '\t' && cp != 0x2028) {
            files::append_utf8(entry->name, cp);
        }
        return;
    }
    if (s.destination != Destination::body || s.hidden) {
        return;
    }
    note_first_content();
    std::string utf8;
    files::append_utf8(utf8, cp);
    document_.paragraphs.back().append(utf8, s.format);
}

void Reader::end_paragraph() {
    settle_surrogate();
    if (state().destination != Destination::body) {
        return;
    }
    note_first_content();
    document_.paragraphs.emplace_back();
}

// Cells end with a tab; the tab after the row's last cell goes with the row.
void Reader::end_row() {
    std::vector<Run>& runs = document_.paragraphs.back().runs;
    if (state().destination == Destination::body && !runs.empty() &&
        runs.back().text.back() == '\t') {
        runs.back().text.pop_back();
        if (runs.back().text.empty()) {
            runs.pop_back();
        }
    }
    end_paragraph();
}

// The document's font and size are those in force where its text begins.
void Reader::note_first_content() {
    if (!content_seen_) {
        content_seen_ = true;
        content_font_ = effective_font();
        content_font_size_ = state().font_size;
    }
}

// Text bytes are in the code page of the current font's charset when the font
// table gives one, else in the document's code page.
int Reader::code_page() {
    const int font =
        state().destination == Destination::font_table ? font_table_entry_ : effective_font();
    const auto it = fonts_.find(font);
    if (it != fonts_.end()) {
        if (it->second.code_page > 0) {
            return it->second.code_page;
        }
        if (const int from_charset = files::charset_code_page(it->second.charset)) {
            return from_charset;
        }
    }
    return document_code_page_;
}

FontEntry* Reader::font_entry(int number) {
    if (number < 0) {
        return nullptr;
    }
    const auto it = fonts_.find(number);
    if (it != fonts_.end()) {
        return &it->second;
    }
    if (fonts_.size() >= max_fonts) {
        return nullptr;
    }
    return &fonts_[number];
}

void Reader::finish(ReadResult& result) {
    if (!stack_.empty()) {
        flush_bytes();
    }
    if (!stack_.empty()) {
        settle_surrogate();
    }
    std::vector<std::string> problems;
    if (too_deep_) {
        problems.push_back("Группы вложены глубже " + std::to_string(max_group_depth) +
                           " уровней; их содержимое пропущено.");
    }
    if (!ended_) {
        problems.push_back("Документ обрывается: не закрыто групп: " +
                           std::to_string(stack_.size() + skipped_depth_) + ".");
    } else if (lexer_.rest().find_first_not_of(std::string_view(" \t\r\n\0", 5)) !=
               std::string_view::npos) {
        problems.push_back("После конца документа есть ещё данные; они пропущены.");
    }

    // The text ends with the paragraph that the last \par closed; what follows
    // it holds no text.
    std::vector<Paragraph>& paragraphs = document_.paragraphs;
    if (paragraphs.size() > 1 && paragraphs.back().empty()) {
        paragraphs.pop_back();
    }
    const int font = content_seen_ ? content_font_ : default_font_;
    for (const int number : {font, default_font_}) {
        const auto it = fonts_.find(number);
        if (it == fonts_.end()) {
            continue;
        }
        // A ';' or a control character may still come as \uN or as a stray
        // byte; what the writer could not store is left out here already.
        std::string name = storable_font_name(it->second.name);
        if (!name.empty()) {
            document_.font_name = std::move(name);
            break;
        }
    }
    document_.font_size_pt = (content_seen_ ? content_font_size_ : 24) / 2.0;

    result.document = std::move(document_);
    if (!problems.empty()) {
        result.status = ReadStatus::damaged;
        result.problem = "Файл заметок повреждён.";
        for (const std::string& p : problems) {
            result.problem += " " + p;
        }
    }
}

}  // namespace

bool starts_as_rtf(std::string_view bytes) {
    if (bytes.starts_with(utf8_bom)) {
        bytes.remove_prefix(utf8_bom.size());
    }
    return bytes.starts_with("{\\rtf");
}

ReadResult read_rtf(std::string_view bytes) {
    if (!starts_as_rtf(bytes)) {
        ReadResult result;
        result.status = ReadStatus::not_rtf;
        result.problem = "Файл заметок не в формате RTF.";
        return result;
    }
    if (bytes.starts_with(utf8_bom)) {
        bytes.remove_prefix(utf8_bom.size());
    }
    return Reader(bytes).run();
}

}  // namespace vx::notes
