// vxctl's command line in Russian: help labels, the parser's errors in words, the nearest
// command to a mistyped one, and bash completion and the manual page from the same table.
#include <algorithm>
#include <sstream>

#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace {

// The text after "prefix" in message, or "" when it does not start so.
std::string after(const std::string& message, const std::string& prefix) {
    const std::size_t at = message.find(prefix);
    return at == std::string::npos ? "" : message.substr(at + prefix.size());
}

std::string before(const std::string& message, const std::string& suffix) {
    const std::size_t at = message.find(suffix);
    return at == std::string::npos ? "" : message.substr(0, at);
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// The innermost command given on the command line (the program itself when none).
const CLI::App* innermost(const CLI::App& app) {
    const CLI::App* current = &app;
    while (!current->get_subcommands().empty()) {
        current = current->get_subcommands().front();
    }
    return current;
}

std::vector<const CLI::App*> visible_commands(const CLI::App& app) {
    return app.get_subcommands(
        [](const CLI::App* sub) { return !sub->get_group().empty() && !sub->get_disabled(); });
}

std::string unexpected(const CLI::App& app, const std::string& words) {
    const CLI::App* current = innermost(app);
    const std::vector<const CLI::App*> commands = visible_commands(*current);
    const std::string word = words.substr(0, words.find(' '));
    if (commands.empty() || word.empty() || word[0] == '-') {
        return "лишние аргументы: " + words;
    }
    const CLI::App* nearest = nullptr;
    std::size_t best = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const CLI::App* command : commands) {
        if (const std::size_t d = edit_distance(word, command->get_name()); d < best) {
            best = d;
            nearest = command;
        }
    }
    const std::string text = "неизвестная команда \"" + escape_controls(word) + "\"";
    if (nearest != nullptr) {
        return text + "; может быть, " + nearest->get_name() + "?";
    }
    return text + " (список команд: " + current->get_display_name(true) + " --help)";
}

std::string required(const CLI::App& app, const std::string& message) {
    if (message.rfind("A subcommand", 0) == 0) {
        const CLI::App* current = innermost(app);
        std::string names;
        for (const CLI::App* command : visible_commands(*current)) {
            names += (names.empty() ? "" : ", ") + command->get_name();
        }
        return "не задана команда (" + names + ")";
    }
    const std::string name = before(message, " is required");
    return "не задан обязательный аргумент " + (name.empty() ? message : name);
}

}  // namespace

// The word given where a command was due: the first after the innermost command that is
// neither an option nor the port's value.
std::string word_for_command(const CLI::App& app, const std::vector<std::string>& args) {
    const CLI::App* current = innermost(app);
    std::size_t i = 0;
    if (current != &app) {
        while (i < args.size() && args[i] != current->get_name()) {
            ++i;
        }
        ++i;
    }
    for (; i < args.size(); ++i) {
        const bool port_value = i > 0 && (args[i - 1] == "-p" || args[i - 1] == "--port");
        if (!args[i].empty() && args[i][0] != '-' && !port_value) {
            return args[i];
        }
    }
    return "";
}

std::string parse_error_text(const CLI::App& app, const CLI::ParseError& error,
                             const std::vector<std::string>& args) {
    const std::string message = error.what();
    const auto is = [&error](auto* kind) {
        return dynamic_cast<decltype(kind)>(&error) != nullptr;
    };
    if (is(static_cast<const CLI::ExtrasError*>(nullptr))) {
        const std::string words = after(message, "expected: ");
        return unexpected(app, words.empty() ? message : words);
    }
    if (is(static_cast<const CLI::RequiredError*>(nullptr))) {
        // A mistyped command is left over, and only then is a command found missing.
        if (const std::string word = word_for_command(app, args);
            message.rfind("A subcommand", 0) == 0 && !word.empty()) {
            return unexpected(app, word);
        }
        return required(app, message);
    }
    if (is(static_cast<const CLI::ValidationError*>(nullptr))) {
        return message;  // the checks' own texts are Russian
    }
    if (is(static_cast<const CLI::ConversionError*>(nullptr))) {
        if (std::string rest = after(message, "Could not convert: "); !rest.empty()) {
            const std::size_t equals = rest.find(" = ");
            return rest.substr(0, equals) + ": неверное значение \"" +
                   escape_controls(rest.substr(equals + 3)) + "\"";
        }
        if (std::string name = before(message, ": too many inputs for a flag"); !name.empty()) {
            return name + ": флаг не принимает значения";
        }
        return "неверное значение: " + escape_controls(message);
    }
    if (is(static_cast<const CLI::ArgumentMismatch*>(nullptr))) {
        std::string name = before(message, ":");
        if (name.empty()) {
            name = after(message, "arguments to ");
            name = name.substr(0, name.find(','));
        }
        return name + (message.find("missing") != std::string::npos ? ": не задано значение"
                                                                    : ": лишние значения");
    }
    if (is(static_cast<const CLI::ExcludesError*>(nullptr))) {
        return before(message, " excludes ") + " нельзя вместе с " + after(message, " excludes ");
    }
    if (is(static_cast<const CLI::RequiresError*>(nullptr))) {
        return before(message, " requires ") + " нельзя без " + after(message, " requires ");
    }
    return "неверная командная строка: " + escape_controls(message);
}

namespace {

// "  NAME    description": the name padded to width characters, counted as the terminal
// shows them (a Cyrillic letter is two bytes, one column); a name as wide as the column
// puts the description on the next line. Its further lines start under the column.
std::string help_line(const std::string& name, const std::string& description, std::size_t width) {
    std::string line = "  " + name;
    const auto columns =
        static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char ch) {
            return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
        }));
    if (columns < width) {
        line.append(width - columns, ' ');
    }
    if (!description.empty()) {
        if (columns >= width) {
            line += '\n' + std::string(width, ' ');
        }
        for (const char ch : description) {
            line += ch;
            if (ch == '\n') {
                line.append(width, ' ');
            }
        }
    }
    return line + '\n';
}

// The parser's own layout, with the columns aligned by characters rather than bytes.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_option(const CLI::Option* option, bool is_positional) const override {
        return help_line(make_option_name(option, is_positional) + make_option_opts(option),
                         make_option_desc(option), get_column_width());
    }
    std::string make_subcommand(const CLI::App* command) const override {
        return help_line(command->get_display_name(true), command->get_description(),
                         get_column_width());
    }
};

}  // namespace

void russian_help(CLI::App& app) {
    app.formatter(std::make_shared<HelpFormatter>());
    const std::shared_ptr<CLI::FormatterBase> formatter = app.get_formatter();
    for (const auto& [key, text] : std::vector<std::pair<const char*, const char*>>{
             {"Usage", "Использование"},
             {"OPTIONS", "ПАРАМЕТРЫ"},
             {"SUBCOMMAND", "КОМАНДА"},
             {"SUBCOMMANDS", "КОМАНДЫ"},
             {"Positionals", "Аргументы"},
             {"REQUIRED", "(обязательный)"},
             {"Env", "переменная окружения"},
             {"Needs", "нужен"},
             {"Excludes", "нельзя вместе с"},
         }) {
        formatter->label(key, text);
    }
    formatter->column_width(34);
    app.option_defaults()->group("Параметры");
    app.set_help_flag("-h,--help", "показать эту справку");
    app.group("Команды");
}

void russian_value_names(CLI::App& app) {
    if (CLI::Option* help = app.get_help_ptr()) {
        help->group("Параметры");  // made with the command, before its defaults were set
    }
    for (CLI::Option* option : app.get_options(std::function<bool(CLI::Option*)>{})) {
        const std::string full = option->get_type_name();
        const std::string type = full.substr(0, full.find(':'));
        if (type == "INT" || type == "UINT" || type == "FLOAT" || type == "NUMBER") {
            option->type_name("ЧИСЛО");
        } else if (type == "TEXT") {
            option->type_name("ТЕКСТ");
        }
    }
    for (CLI::App* command : app.get_subcommands(std::function<bool(CLI::App*)>{})) {
        russian_value_names(*command);
    }
}

namespace {

// Option and positional names, their help, and their kind, as both files need them.
struct OptionText {
    std::vector<std::string> names;  // "-p", "--port"; a positional: "FILE"
    std::string value;               // "ЧИСЛО", "" for a flag
    std::string help;
    bool positional = false;
};

std::vector<OptionText> options_of(const CLI::App& app) {
    std::vector<OptionText> list;
    for (const CLI::Option* option : app.get_options()) {
        if (option == app.get_help_ptr()) {
            continue;
        }
        OptionText text;
        text.positional = option->get_positional();
        if (text.positional) {
            text.names.push_back(option->get_name());
        } else {
            for (const std::string& s : option->get_snames()) {
                text.names.push_back("-" + s);
            }
            for (const std::string& l : option->get_lnames()) {
                text.names.push_back("--" + l);
            }
        }
        if (option->get_type_size() != 0 && !text.positional) {
            text.value = option->get_type_name();
        }
        text.help = option->get_description();
        list.push_back(text);
    }
    return list;
}

std::vector<const CLI::App*> command_tree(const CLI::App& app) {
    std::vector<const CLI::App*> list;
    for (const CLI::App* command : visible_commands(app)) {
        list.push_back(command);
        for (const CLI::App* inner : command_tree(*command)) {
            list.push_back(inner);
        }
    }
    return list;
}

std::string join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

// Roff text: a backslash is \e, a dash \-, a line never starts with a control character.
std::string roff(const std::string& text) {
    std::string out;
    bool line_start = true;
    for (const char ch : text) {
        if (line_start && (ch == '.' || ch == '\'')) {
            out += "\\&";
        }
        out += ch == '\\'  ? std::string("\\e")
               : ch == '-' ? std::string("\\-")
                           : std::string(1, ch);
        line_start = ch == '\n';
    }
    return out;
}

}  // namespace

std::string bash_completion(const CLI::App& app) {
    std::ostringstream out;
    std::vector<std::string> global, value_options, top;
    for (const OptionText& option : options_of(app)) {
        global.insert(global.end(), option.names.begin(), option.names.end());
        if (!option.value.empty()) {
            value_options.insert(value_options.end(), option.names.begin(), option.names.end());
        }
    }
    global.push_back("--help");
    for (const CLI::App* command : visible_commands(app)) {
        top.push_back(command->get_name());
    }
    out << "# bash completion for vxctl, written by vxctl completion bash\n"
        << "_vxctl() {\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        << "    local global=\"" << join(global) << "\"\n"
        << "    local path=\"\" i\n"
        << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        << "        case \"${COMP_WORDS[i]}\" in\n";
    // Options that take a value: the value is skipped, and completed as a file name.
    std::vector<std::string> all_values = value_options;
    for (const CLI::App* command : command_tree(app)) {
        for (const OptionText& option : options_of(*command)) {
            if (!option.value.empty()) {
                all_values.insert(all_values.end(), option.names.begin(), option.names.end());
            }
        }
    }
    std::sort(all_values.begin(), all_values.end());
    all_values.erase(std::unique(all_values.begin(), all_values.end()), all_values.end());
    std::string values_pattern;
    for (const std::string& name : all_values) {
        values_pattern += (values_pattern.empty() ? "" : "|") + name;
    }
    if (!values_pattern.empty()) {
        out << "            " << values_pattern << ") ((i++)) ;;\n";
    }
    out << "            -*) ;;\n"
        << "            *) path=\"${path:+$path }${COMP_WORDS[i]}\" ;;\n"
        << "        esac\n"
        << "    done\n";
    if (!values_pattern.empty()) {
        out << "    case \"$prev\" in\n"
            << "        " << values_pattern
            << ") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
            << "    esac\n";
    }
    out << "    local words=\"\" files=\"\"\n"
        << "    case \"$path\" in\n"
        << "        \"\") words=\"" << join(top) << "\" ;;\n";
    for (const CLI::App* command : command_tree(app)) {
        std::vector<std::string> words;
        bool files = false;
        for (const CLI::App* inner : visible_commands(*command)) {
            words.push_back(inner->get_name());
        }
        for (const OptionText& option : options_of(*command)) {
            if (option.positional) {
                files = files || option.names.front() == "FILE";
            } else {
                words.insert(words.end(), option.names.begin(), option.names.end());
            }
        }
        if (command->get_name() == "services") {
            words.insert(words.end(), {"bus", "mysql", "program", "on", "off"});
        }
        std::string path = command->get_name();
        for (const CLI::App* parent = command->get_parent(); parent != nullptr && parent != &app;
             parent = parent->get_parent()) {
            path = parent->get_name() + " " + path;
        }
        out << "        \"" << path << "\"*) words=\"" << join(words) << "\""
            << (files ? "; files=1" : "") << " ;;\n";
    }
    out << "    esac\n"
        << "    COMPREPLY=($(compgen -W \"$words $global\" -- \"$cur\"))\n"
        << "    if [[ -n $files && $cur != -* ]]; then\n"
        << "        COMPREPLY+=($(compgen -f -- \"$cur\"))\n"
        << "    fi\n"
        << "}\n"
        << "complete -F _vxctl vxctl\n";
    return out.str();
}

std::string manual_page(const CLI::App& app, const std::string& version) {
    std::ostringstream out;
    const std::string description = app.get_description();
    const std::size_t first_line = description.find('\n');
    out << ".TH VXCTL 1 \"\" \"vxctl " << version << "\" \"Vesta VX\"\n"
        << ".SH ИМЯ\nvxctl \\- " << roff(description.substr(0, first_line)) << "\n"
        << ".SH СИНТАКСИС\n.B vxctl\n[\\fIПАРАМЕТРЫ\\fR] \\fIКОМАНДА\\fR [\\fIАРГУМЕНТЫ\\fR]\n"
        << ".SH ОПИСАНИЕ\n"
        << roff(first_line == std::string::npos ? "" : description.substr(first_line + 1)) << "\n"
        << "Общие параметры можно ставить в любом месте командной строки.\n"
        << ".SH ПАРАМЕТРЫ\n";
    const auto print_options = [&out](const CLI::App& command) {
        for (const OptionText& option : options_of(command)) {
            std::string names;
            for (const std::string& name : option.names) {
                names += (names.empty() ? "" : ", ") + ("\\fB" + roff(name) + "\\fR");
            }
            out << ".TP\n"
                << (option.positional ? "\\fI" + roff(option.names.front()) + "\\fR" : names)
                << (option.value.empty() ? "" : " \\fI" + roff(option.value) + "\\fR") << "\n"
                << roff(option.help) << "\n";
        }
    };
    print_options(app);
    out << ".SH КОМАНДЫ\n";
    for (const CLI::App* command : command_tree(app)) {
        std::string path = command->get_name();
        for (const CLI::App* parent = command->get_parent(); parent != nullptr && parent != &app;
             parent = parent->get_parent()) {
            path = parent->get_name() + " " + path;
        }
        for (const CLI::Option* positional : command->get_options(
                 [](const CLI::Option* option) { return option->get_positional(); })) {
            const std::string name =
                positional->get_name() + (positional->get_items_expected_max() > 1 ? "..." : "");
            path += " " + (positional->get_required() ? name : "[" + name + "]");
        }
        out << ".SS " << roff(path) << "\n" << roff(command->get_description()) << "\n";
        if (!options_of(*command).empty()) {
            out << ".RS\n";
            print_options(*command);
            out << ".RE\n";
        }
    }
    const std::string footer = app.get_footer();  // the exit codes, then a note
    out << ".SH КОДЫ ВОЗВРАТА\n"
        << roff(footer.substr(0, footer.find('\n'))) << "\n"
        << ".SH ОКРУЖЕНИЕ\n.TP\n.B VX_PORT\nпорт службы контроллера, когда \\fB\\-\\-port\\fR "
           "не задан\n"
        << ".SH СМ. ТАКЖЕ\n.BR vxc (1)\n";
    return out.str();
}

}  // namespace vx::vxctl
