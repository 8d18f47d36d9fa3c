// Writing and reading the configuration file with nlohmann-json.
#include "commissioning/configuration_file.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>

#include <nlohmann/json.hpp>

#include "files/atomic_file.h"

namespace vx::commissioning {

using nlohmann::json;

namespace {

constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;  // a configuration is well under 1 MB
// The file nests four deep and holds about 36 000 values with every module's parameters;
// the limits keep a hostile file from costing more memory than a few times its size.
constexpr std::size_t kMaxDepth = 16;
constexpr std::size_t kMaxValues = 200000;
// The places the checks name are short ("modules[12].parameters[255]"); a longer place is
// not kept, or every value under a long key would hold a copy of it.
constexpr std::size_t kMaxPlace = 128;

// One line of JSON; a name that is not UTF-8 must not stop a backup.
std::string compact(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Thrown while reading a document, caught at the top: the one message for the user.
struct Malformed {
    std::string where;  // the place in the document: "modules[0].address", "" for the whole
    std::string what;
};

json x10_json(const std::array<X10Table, kX10TableCount>& tables) {
    json object = json::object();
    for (int t = 0; t < kX10TableCount; ++t) {
        json names = json::array();
        for (int i = 0; i < kX10TableSize; ++i) {
            if (tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] != 0) {
                names.push_back(x10_address_name(i));
            }
        }
        object[kX10TableNames[static_cast<std::size_t>(t)]] = names;
    }
    return object;
}

const json& field(const json& object, const char* key, const std::string& where) {
    if (!object.contains(key)) {
        throw Malformed{where, std::string("нет поля \"") + key + "\""};
    }
    return object.at(key);
}

long number(const json& value, long low, long high, const std::string& where) {
    if (!value.is_number_integer() || value.get<long>() < low || value.get<long>() > high) {
        throw Malformed{where, "ожидалось целое число от " + std::to_string(low) + " до " +
                                   std::to_string(high)};
    }
    return value.get<long>();
}

template <typename T>
std::vector<T> number_table(const json& value, std::size_t count, long high,
                            const std::string& where) {
    if (!value.is_array() || value.size() != count) {
        throw Malformed{where, "ожидался массив из " + std::to_string(count) + " чисел"};
    }
    std::vector<T> values;
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(
            static_cast<T>(number(value[i], 0, high, where + "[" + std::to_string(i) + "]")));
    }
    return values;
}

int x10_index(const json& name, const std::string& where) {
    if (name.is_string()) {
        const std::string text = name.get<std::string>();
        if (text.size() >= 2 && text[0] >= 'A' && text[0] <= 'P' &&
            text.find_first_not_of("0123456789", 1) == std::string::npos && text.size() <= 3) {
            const int key = std::stoi(text.substr(1));
            if (key >= 1 && key <= 16) {
                return (text[0] - 'A') * 16 + key - 1;
            }
        }
    }
    throw Malformed{where, "ожидался адрес X10 от A1 до P16"};
}

void read_document(const json& doc, Configuration& out) {
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kConfigurationFormat) {
        throw Malformed{"", std::string("это не файл конфигурации (нет \"format\": \"") +
                                kConfigurationFormat + "\")"};
    }
    if (number(field(doc, "format_version", "файл"), 1, 1000000, "format_version") !=
        kConfigurationFormatVersion) {
        throw Malformed{"format_version", "поддерживается только версия 1"};
    }
    out = Configuration{};
    if (doc.contains("taken") && doc["taken"].is_string()) {
        out.taken = doc["taken"].get<std::string>();
    }
    if (doc.contains("controller_version") && doc["controller_version"].is_string()) {
        out.controller_version = doc["controller_version"].get<std::string>();
    }
    if (doc.contains("services")) {
        std::array<bool, kServiceCount> states{};
        for (int s = 0; s < kServiceCount; ++s) {
            const char* name = kServiceNames[static_cast<std::size_t>(s)];
            const json& state = field(doc["services"], name, "services");
            if (!state.is_boolean()) {
                throw Malformed{std::string("services.") + name, "ожидалось true или false"};
            }
            states[static_cast<std::size_t>(s)] = state.get<bool>();
        }
        out.services = states;
    }
    if (doc.contains("cycle_delay")) {
        out.cycle_delay =
            static_cast<int>(number(doc["cycle_delay"], 0, kMaxCycleDelay, "cycle_delay"));
    }
    if (doc.contains("start_values")) {
        out.start_values =
            number_table<uint16_t>(doc["start_values"], kVariableCount, 65535, "start_values");
    }
    if (doc.contains("poll_frequencies")) {
        out.poll_frequencies =
            number_table<uint8_t>(doc["poll_frequencies"], kAddressCount, 255, "poll_frequencies");
    }
    if (doc.contains("modules")) {
        if (!doc["modules"].is_array()) {
            throw Malformed{"modules", "ожидался массив модулей"};
        }
        out.modules.emplace();
        for (std::size_t i = 0; i < doc["modules"].size(); ++i) {
            const json& item = doc["modules"][i];
            const std::string where = "modules[" + std::to_string(i) + "]";
            if (!item.is_object()) {
                throw Malformed{where, "ожидался объект"};
            }
            ModuleConfiguration module;
            module.address = static_cast<int>(
                number(field(item, "address", where), 1, kAddressCount, where + ".address"));
            if (out.module_at(module.address) != nullptr) {
                throw Malformed{where + ".address",
                                "адрес " + std::to_string(module.address) + " встречается дважды"};
            }
            const json& name = field(item, "name", where);
            if (!name.is_string()) {
                throw Malformed{where + ".name", "ожидалась строка"};
            }
            module.name = name.get<std::string>();
            if (item.contains("version")) {
                module.version =
                    static_cast<int>(number(item["version"], 0, 255, where + ".version"));
            }
            if (item.contains("parameters")) {
                module.parameters = number_table<uint8_t>(item["parameters"], kParameterCount, 255,
                                                          where + ".parameters");
            }
            out.modules->push_back(std::move(module));
        }
    }
    if (doc.contains("x10")) {
        std::array<X10Table, kX10TableCount> tables{};
        for (int t = 0; t < kX10TableCount; ++t) {
            const char* name = kX10TableNames[static_cast<std::size_t>(t)];
            const json& list = field(doc["x10"], name, "x10");
            if (!list.is_array()) {
                throw Malformed{std::string("x10.") + name, "ожидался массив адресов"};
            }
            for (std::size_t i = 0; i < list.size(); ++i) {
                const std::string where =
                    "x10." + std::string(name) + "[" + std::to_string(i) + "]";
                tables[static_cast<std::size_t>(t)]
                      [static_cast<std::size_t>(x10_index(list[i], where))] = 1;
            }
        }
        out.x10 = tables;
    }
}

// The reader's place in the text: how many bytes it has taken, so that an error found
// between two of its steps (a duplicate key, a nesting too deep) can name its place.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, std::size_t* taken) : at_(at), taken_(taken) {}
    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        ++at_;
        ++*taken_;
        return *this;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_;
    std::size_t* taken_;
};

// "строка 3, столбец 7" of a byte offset; columns count characters, not bytes.
std::string place_of(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    int line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "строка " + std::to_string(line) + ", столбец " + std::to_string(column);
}

// The reader's own fault, in the installer's words.
std::string parse_fault(const nlohmann::detail::exception& e) {
    const std::string what = e.what();
    if (e.id == 406) {
        return "число вне допустимого диапазона";
    }
    if (what.find("unexpected end of input") != std::string::npos) {
        return "файл обрывается";
    }
    if (what.find("invalid string") != std::string::npos) {
        return "неверная строка";
    }
    if (what.find("invalid number") != std::string::npos) {
        return "неверное число";
    }
    return "неверный синтаксис";
}

// The opening quote of the string (or key) that ends just before offset.
std::size_t string_start(std::string_view text, std::size_t offset) {
    for (std::size_t i = offset >= 2 ? offset - 2 : 0; i > 0; --i) {
        if (text[i] != '"') {
            continue;
        }
        std::size_t slashes = 0;
        while (slashes < i && text[i - 1 - slashes] == '\\') {
            ++slashes;
        }
        if (slashes % 2 == 0) {
            return i;
        }
    }
    return 0;
}

// Builds the document from the reader's events as its own builder does, refusing
// duplicate keys (which would silently replace the first value), nesting deeper than
// kMaxDepth and more than kMaxValues values. The first fault stops the reader.
class DocumentBuilder : public nlohmann::json_sax<json> {
public:
    DocumentBuilder(std::string_view text, const std::size_t& taken) : text_(text), taken_(taken) {}

    json document;
    std::string fault;  // "" or "строка L, столбец C: what"
    // Where each value begins, by its place as the document's checks name it
    // ("modules[0].address").
    std::map<std::string, std::size_t> starts;

    bool null() override { return add(nullptr, taken_ - 4); }
    bool boolean(bool value) override { return add(value, taken_ - (value ? 4 : 5)); }
    bool number_integer(number_integer_t value) override { return add(value, number_start()); }
    bool number_unsigned(number_unsigned_t value) override { return add(value, number_start()); }
    bool number_float(number_float_t value, const string_t&) override {
        return add(value, number_start());
    }
    bool string(string_t& value) override {
        return add(std::move(value), string_start(text_, taken_));
    }
    bool binary(binary_t& value) override { return add(json::binary(std::move(value)), 0); }
    bool start_object(std::size_t) override { return open(json::object()); }
    bool start_array(std::size_t) override { return open(json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        if (open_.back()->contains(name)) {
            return refuse(string_start(text_, taken_),
                          "ключ " + compact(name) + " встречается дважды");
        }
        key_ = std::move(name);
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) override {
        // After a number too large for a double the reader stands just behind it; after
        // any other fault on the byte it could not take.
        const std::size_t at = e.id == 406 ? position - std::min(position, token.size())
                                           : (position > 0 ? position - 1 : 0);
        return refuse(at, "не разобрать JSON: " + parse_fault(e));
    }

private:
    bool refuse(std::size_t offset, const std::string& what) {
        fault = place_of(text_, offset) + ": " + what;
        return false;
    }
    // The reader takes one byte past a number unless the text ends there.
    std::size_t number_start() const {
        const auto in_number = [](char ch) {
            return (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || ch == '.' || ch == 'e' ||
                   ch == 'E';
        };
        std::size_t start = std::min(taken_, text_.size());
        if (start > 0 && !in_number(text_[start - 1])) {
            --start;
        }
        while (start > 0 && in_number(text_[start - 1])) {
            --start;
        }
        return start;
    }
    // Places value in the container open last (or as the document); null when refused.
    json* place(json value, std::size_t start) {
        if (++values_ > kMaxValues) {
            refuse(taken_ - 1, "больше " + std::to_string(kMaxValues) + " значений");
            return nullptr;
        }
        if (open_.empty()) {
            path_.clear();
            document = std::move(value);
            return &document;
        }
        json& container = *open_.back();
        const std::string& parent = paths_.back();
        const bool named = parent.size() <= kMaxPlace;
        if (container.is_array()) {
            name_place(named ? std::optional<std::string>(parent + "[" +
                                                          std::to_string(container.size()) + "]")
                             : std::nullopt,
                       start);
            container.push_back(std::move(value));
            return &container.back();
        }
        name_place(named && key_.size() <= kMaxPlace
                       ? std::optional<std::string>(parent.empty() ? key_ : parent + "." + key_)
                       : std::nullopt,
                   start);
        return &(container[key_] = std::move(value));
    }
    // A place too long to be named stands as one past the limit, and so do those inside it.
    void name_place(std::optional<std::string> place, std::size_t start) {
        if (place && place->size() <= kMaxPlace) {
            path_ = std::move(*place);
            starts[path_] = start;
        } else {
            path_.assign(kMaxPlace + 1, '.');
        }
    }
    bool add(json value, std::size_t start) { return place(std::move(value), start) != nullptr; }
    bool open(json empty) {
        if (open_.size() >= kMaxDepth) {
            return refuse(taken_ - 1,
                          "вложенность глубже " + std::to_string(kMaxDepth) + " уровней");
        }
        json* container = place(std::move(empty), taken_ - 1);
        if (container != nullptr) {
            open_.push_back(container);
            paths_.push_back(path_);
        }
        return container != nullptr;
    }
    bool close() {
        open_.pop_back();
        paths_.pop_back();
        return true;
    }

    std::string_view text_;
    const std::size_t& taken_;        // bytes the reader has taken so far
    std::vector<json*> open_;         // the containers being filled, innermost last
    std::vector<std::string> paths_;  // their places
    std::string path_;                // the place of the value placed last
    std::string key_;
    std::size_t values_ = 0;
};

// Parses text into document, with where each value starts. "" or one line naming the
// line and column of the fault.
std::string parse_document(std::string_view text, json& document,
                           std::map<std::string, std::size_t>& starts) {
    std::size_t taken = 0;
    DocumentBuilder builder(text, taken);
    json::sax_parse(CountingIterator(text.data(), &taken),
                    CountingIterator(text.data() + text.size(), &taken), &builder);
    document = std::move(builder.document);
    starts = std::move(builder.starts);
    return builder.fault;
}

}  // namespace

std::string x10_address_name(int index) {
    return std::string(1, static_cast<char>('A' + index / 16)) + std::to_string(index % 16 + 1);
}

std::string configuration_to_json(const Configuration& configuration) {
    std::vector<std::pair<std::string, json>> lines;
    lines.emplace_back("format", kConfigurationFormat);
    lines.emplace_back("format_version", kConfigurationFormatVersion);
    lines.emplace_back("taken", configuration.taken);
    lines.emplace_back("controller_version", configuration.controller_version);
    if (configuration.services) {
        json services = json::object();
        for (int s = 0; s < kServiceCount; ++s) {
            services[kServiceNames[static_cast<std::size_t>(s)]] =
                (*configuration.services)[static_cast<std::size_t>(s)];
        }
        lines.emplace_back("services", services);
    }
    if (configuration.cycle_delay) {
        lines.emplace_back("cycle_delay", *configuration.cycle_delay);
    }
    if (configuration.start_values) {
        lines.emplace_back("start_values", *configuration.start_values);
    }
    if (configuration.poll_frequencies) {
        lines.emplace_back("poll_frequencies", *configuration.poll_frequencies);
    }
    std::string text = "{\n";
    for (const auto& [key, value] : lines) {
        text += "  " + json(key).dump() + ": " + compact(value) + ",\n";
    }
    if (configuration.modules) {
        text += "  \"modules\": [";
        bool first = true;
        for (const ModuleConfiguration& module : *configuration.modules) {
            json item = {
                {"address", module.address}, {"name", module.name}, {"version", module.version}};
            if (module.parameters) {
                item["parameters"] = *module.parameters;
            }
            text += std::string(first ? "" : ",") + "\n    " + compact(item);
            first = false;
        }
        text += first ? "],\n" : "\n  ],\n";
    }
    if (configuration.x10) {
        text += "  \"x10\": " + compact(x10_json(*configuration.x10)) + ",\n";
    }
    if (!configuration.not_read.empty()) {  // asked for, but not in this file
        text += "  \"not_read\": " + compact(configuration.not_read) + ",\n";
    }
    text.erase(text.size() - 2, 1);  // the comma after the last section
    return text + "}\n";
}

std::string configuration_from_json(std::string_view text, Configuration& configuration) {
    json document;
    std::map<std::string, std::size_t> starts;
    if (std::string error = parse_document(text, document, starts); !error.empty()) {
        return error;
    }
    try {
        read_document(document, configuration);
        return {};
    } catch (const Malformed& e) {
        const auto start = starts.find(e.where);
        return (start != starts.end() ? place_of(text, start->second) + ": " : "") +
               (e.where.empty() ? "" : e.where + ": ") + e.what;
    }
}

std::string save_configuration(const std::filesystem::path& path,
                               const Configuration& configuration) {
    return files::write_file_atomically(path, configuration_to_json(configuration));
}

std::string load_configuration(const std::filesystem::path& path, Configuration& configuration) {
    std::string bytes;
    if (std::string error = files::read_whole_file(path, bytes, kMaxFileSize); !error.empty()) {
        return error;
    }
    if (std::string error = configuration_from_json(bytes, configuration); !error.empty()) {
        return path.string() + ": " + error;
    }
    return {};
}

}  // namespace vx::commissioning
