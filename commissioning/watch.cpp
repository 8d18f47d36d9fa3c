// Variable samples and their CSV rows.
#include "commissioning/watch.h"

namespace vx::commissioning {

namespace {
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";  // so a spreadsheet reads UTF-8
constexpr char kSeparator = ';';  // what a spreadsheet with Russian settings splits on

std::string file_error(const std::filesystem::path& path) {
    return "Не удалось записать файл " + path.string() + ".";
}
}  // namespace

WatchSample sample_variables(ControllerConnection& c, const std::vector<int>& variables) {
    WatchSample sample;
    sample.time = std::chrono::system_clock::now();
    const uint8_t* view = read_variables(c);
    if (view == nullptr) {
        return sample;
    }
    sample.answered = true;
    for (int v : variables) {
        sample.values.push_back(view_u16(view, v));
    }
    return sample;
}

std::string watch_csv_header(const std::vector<int>& variables,
                             const std::map<int, std::string>& names) {
    std::string header = "Время";
    for (int v : variables) {
        header += kSeparator;
        header += "var[" + std::to_string(v) + "]";
        if (const auto it = names.find(v); it != names.end()) {
            std::string name = it->second;
            // A name must not split its column or start a new row.
            for (char& ch : name) {
                if (ch == kSeparator || ch == '\n' || ch == '\r' || ch == '"')
                    ch = ' ';
            }
            header += " " + name;
        }
    }
    return header;
}

std::string watch_csv_row(const WatchSample& sample) {
    std::string row = local_time_text(sample.time);
    for (uint16_t value : sample.values) {
        row += kSeparator;
        row += std::to_string(value);
    }
    return row;
}

std::string WatchCsv::open(const std::filesystem::path& path, const std::vector<int>& variables,
                           const std::map<int, std::string>& names) {
    path_ = path;
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) {
        return file_error(path);
    }
    out_ << kByteOrderMark << watch_csv_header(variables, names) << "\r\n" << std::flush;
    return out_ ? std::string() : file_error(path);
}

std::string WatchCsv::write(const WatchSample& sample) {
    out_ << watch_csv_row(sample) << "\r\n" << std::flush;
    return out_ ? std::string() : file_error(path_);
}

}  // namespace vx::commissioning
