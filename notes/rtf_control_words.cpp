// The table of control words the notes reader acts on.
#include "notes/rtf_control_words.h"

#include <string>
#include <unordered_map>

namespace vx::notes {

namespace {

// Every underline style counts as underlined (\ulc is a colour, not a style).
constexpr std::string_view underline_words =
    "ul uld uldash uldashd uldashdd uldb ulhwave ulldash ulth ulthd ulthdash ulthdashd "
    "ulthdashdd ulthldash ululdbwave ulw ulwave";

// Destinations whose text is not part of the document's body. Those written
// after \* are skipped anyway; these come without it.
constexpr std::string_view skipped_destinations =
    "aftncn aftnsep aftnsepc annotation atnauthor atndate atnid atnref atntime author "
    "background bkmkend bkmkstart buptim category colorschememapping colortbl comment company "
    "creatim datastore doccomm docvar falt fchars file filetbl fldinst footer footerf footerl "
    "footerr footnote ftncn ftnsep ftnsepc generator header headerf headerl headerr info "
    "keywords latentstyles lchars listoverridetable listtable manager nesttableprops "
    "nonesttables objclass objdata object objname operator panose pgdsctbl pict pn printim "
    "private revtbl revtim rsidtbl rxe shpinst sn sp stylesheet subject sv tc template "
    "themedata title txe userprops xe xmlnstbl";

void add_each(std::unordered_map<std::string_view, ControlWord>& words, std::string_view names,
              ControlWord info) {
    while (!names.empty()) {
        const std::size_t end = names.find(' ');
        words.emplace(names.substr(0, end), info);
        names.remove_prefix(end == std::string_view::npos ? names.size() : end + 1);
    }
}

const std::unordered_map<std::string_view, ControlWord>& control_words() {
    static const std::unordered_map<std::string_view, ControlWord> words = [] {
        std::unordered_map<std::string_view, ControlWord> w = {
            {"par", {ControlAction::paragraph}},
            {"sect", {ControlAction::section}},
            {"page", {ControlAction::section}},
            {"row", {ControlAction::row}},
            {"nestrow", {ControlAction::row}},
            {"line", {ControlAction::character, 0x2028}},
            {"tab", {ControlAction::character, '\t'}},
            {"cell", {ControlAction::character, '\t'}},
            {"nestcell", {ControlAction::character, '\t'}},
            {"emdash", {ControlAction::character, 0x2014}},
            {"endash", {ControlAction::character, 0x2013}},
            {"emspace", {ControlAction::character, 0x2003}},
            {"enspace", {ControlAction::character, 0x2002}},
            {"qmspace", {ControlAction::character, 0x2005}},
            {"bullet", {ControlAction::character, 0x2022}},
            {"lquote", {ControlAction::character, 0x2018}},
            {"rquote", {ControlAction::character, 0x2019}},
            {"ldblquote", {ControlAction::character, 0x201C}},
            {"rdblquote", {ControlAction::character, 0x201D}},
            {"zwbo", {ControlAction::character, 0x200B}},
            {"zwnj", {ControlAction::character, 0x200C}},
            {"zwj", {ControlAction::character, 0x200D}},
            {"ltrmark", {ControlAction::character, 0x200E}},
            {"rtlmark", {ControlAction::character, 0x200F}},
            {"b", {ControlAction::bold}},
            {"i", {ControlAction::italic}},
            {"ulnone", {ControlAction::underline_none}},
            {"v", {ControlAction::hidden}},
            {"plain", {ControlAction::plain}},
            {"f", {ControlAction::font}},
            {"fs", {ControlAction::font_size}},
            {"fcharset", {ControlAction::font_charset}},
            {"cpg", {ControlAction::font_code_page}},
            {"deff", {ControlAction::default_font}},
            {"ansicpg", {ControlAction::ansi_code_page}},
            {"ansi", {ControlAction::character_set, 1252}},
            {"mac", {ControlAction::character_set, 10000}},
            {"pc", {ControlAction::character_set, 437}},
            {"pca", {ControlAction::character_set, 850}},
            {"u", {ControlAction::unicode}},
            {"uc", {ControlAction::unicode_skip}},
            {"fonttbl", {ControlAction::font_table}},
        };
        add_each(w, underline_words, {ControlAction::underline});
        add_each(w, skipped_destinations, {ControlAction::skip_destination});
        return w;
    }();
    return words;
}

}  // namespace

const ControlWord* find_control_word(std::string_view word) {
    const auto& words = control_words();
    const auto it = words.find(word);
    return it == words.end() ? nullptr : &it->second;
}

}  // namespace vx::notes
