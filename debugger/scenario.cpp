// Reading scenario files: one step a line, a clear line about the first thing that is wrong.
#include "debugger/scenario.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

namespace vx::debugger {

namespace {

using Words = std::vector<std::string>;

// A problem on the line being read; `parse` adds the file and the line.
struct Problem {
    std::string text;
};

[[noreturn]] void fail(const std::string& text) {
    throw Problem{text};
}

bool read_number(const std::string& word, int64_t max, int64_t& out) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    int64_t v = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    if (v > max) {
        return false;
    }
    out = v;
    return true;
}

int number(const std::string& word, int64_t max, const std::string& what) {
    int64_t v = 0;
    if (!read_number(word, max, v)) {
        fail("ожидалось " + what + " (число от 0 до " + std::to_string(max) + "), а не «" + word +
             "»");
    }
    return static_cast<int>(v);
}

// "var[21]", or "вход 3.2" / "выход 3.9": module 3, point 2 or 9.
ScenarioPoint read_point(const Words& w, std::size_t& i) {
    const std::string expected = "ожидалось var[N], вход А.Т или выход А.Т";
    if (i >= w.size()) {
        fail(expected);
    }
    ScenarioPoint p;
    const std::string& first = w[i++];
    if (first.rfind("var[", 0) == 0 && first.size() > 5 && first.back() == ']') {
        p.number = number(first.substr(4, first.size() - 5), 1023, "номер переменной");
        return p;
    }
    if (first != "вход" && first != "выход") {
        fail(expected + ", а не «" + first + "»");
    }
    p.target = first == "вход" ? ScenarioTarget::input : ScenarioTarget::output;
    const std::string where = i < w.size() ? w[i++] : "";
    const std::size_t dot = where.find('.');
    if (dot == std::string::npos) {
        fail("ожидался " + first + " в виде адрес.точка, например 3.2");
    }
    p.number = number(where.substr(0, dot), 255, "адрес модуля");
    const bool input = p.target == ScenarioTarget::input;
    p.point = number(where.substr(dot + 1), 15, "номер точки");
    if (!input && p.point < 8) {
        fail("выходы модуля: точки 8 - 15");
    }
    return p;
}

// "18" or "18..22".
void read_values(const std::string& word, uint16_t& low, uint16_t& high) {
    const std::size_t dots = word.find("..");
    low = static_cast<uint16_t>(number(word.substr(0, dots), 65535, "значение"));
    high = dots == std::string::npos
               ? low
               : static_cast<uint16_t>(number(word.substr(dots + 2), 65535, "значение"));
    if (high < low) {
        fail("в диапазоне " + word + " начало больше конца");
    }
}

// "30 мин", "1 ч 30 мин", "2 сут": a span of simulated time, in seconds.
int64_t read_duration(const Words& w, std::size_t from, std::size_t to) {
    static const std::array<std::pair<const char*, int64_t>, 18> kUnits{{
        {"с", 1},
        {"сек", 1},
        {"секунд", 1},
        {"секунды", 1},
        {"секунда", 1},
        {"мин", 60},
        {"минут", 60},
        {"минуты", 60},
        {"минута", 60},
        {"ч", 3600},
        {"час", 3600},
        {"часа", 3600},
        {"часов", 3600},
        {"сут", 86400},
        {"дн", 86400},
        {"день", 86400},
        {"дня", 86400},
        {"дней", 86400},
    }};
    if (from >= to || (to - from) % 2 != 0) {
        fail("ожидалось время: число и единица (с, мин, ч, сут), например «через 30 мин»");
    }
    int64_t total = 0;
    for (std::size_t i = from; i < to; i += 2) {
        const int64_t n = number(w[i], 100000, "количество");
        const auto unit = std::find_if(kUnits.begin(), kUnits.end(),
                                       [&](const auto& u) { return w[i + 1] == u.first; });
        if (unit == kUnits.end()) {
            fail("ожидалась единица времени (с, мин, ч, сут), а не «" + w[i + 1] + "»");
        }
        total += n * unit->second;
    }
    // A month of cycles runs in seconds; more in one step is a slip of the pen.
    if (total > 31 * 86400) {
        fail("не больше 31 сут за один шаг");
    }
    return total;
}

void read_clock(const std::string& word, int& hour, int& minute) {
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos) {
        fail("ожидалось время суток ЧЧ:ММ, а не «" + word + "»");
    }
    hour = number(word.substr(0, colon), 23, "час");
    minute = number(word.substr(colon + 1), 59, "минута");
}

// "2026-01-05 06:00" or "2026-01-05 06:00:30".
ClockTime read_start(const Words& w) {
    const std::string expected = "ожидалось «начало ГГГГ-ММ-ДД ЧЧ:ММ»";
    if (w.size() != 3 || w[1].size() != 10 || w[1][4] != '-' || w[1][7] != '-') {
        fail(expected);
    }
    ClockTime t;
    t.year = number(w[1].substr(0, 4), 9999, "год");
    t.month = number(w[1].substr(5, 2), 12, "месяц");
    t.day = number(w[1].substr(8, 2), 31, "день");
    if (!sim::is_valid_date(t.year, t.month, t.day) || t.year < 2000 || t.year > 2099) {
        fail("нет такой даты: " + w[1] + " (годы 2000 - 2099)");
    }
    const std::size_t seconds = w[2].find(':', 3);
    read_clock(w[2].substr(0, seconds), t.hour, t.minute);
    if (seconds != std::string::npos) {
        t.second = number(w[2].substr(seconds + 1), 59, "секунда");
    }
    return t;
}

int read_weekday(const std::string& word) {
    static const std::array<const char*, 7> kDays{
        "воскресенья", "понедельника", "вторника", "среды", "четверга", "пятницы", "субботы"};
    for (std::size_t d = 0; d < kDays.size(); ++d) {
        if (word == kDays[d]) {
            return static_cast<int>(d);
        }
    }
    fail("ожидался день недели: «до понедельника 06:00», а не «" + word + "»");
}

ScenarioStep read_step(const Words& w) {
    ScenarioStep s;
    const std::string& verb = w[0];
    std::size_t i = 1;
    auto value_after_equals = [&] {
        if (i + 2 != w.size() || w[i] != "=") {
            fail("ожидалось «" + verb + " ... = значение»");
        }
        read_values(w[i + 1], s.low, s.high);
    };
    if (verb == "установить" || verb == "зафиксировать") {
        s.kind = verb == "установить" ? StepKind::set : StepKind::force;
        s.point = read_point(w, i);
        if (s.kind == StepKind::set && s.point.target == ScenarioTarget::output) {
            fail("выходы пишет программа: их можно только зафиксировать");
        }
        value_after_equals();
        if (s.low != s.high) {
            fail("ожидалось одно значение, а не диапазон");
        }
        if (s.point.target != ScenarioTarget::variable && s.low > 1) {
            fail("точка модуля принимает 0 или 1");
        }
    } else if (verb == "отпустить") {
        s.kind = StepKind::release;
        s.all = w.size() == 2 && (w[1] == "всё" || w[1] == "все");
        if (!s.all) {
            s.point = read_point(w, i);
            if (i != w.size()) {
                fail("лишнее в конце строки: «" + w[i] + "»");
            }
        }
    } else if (verb == "через") {
        s.kind = StepKind::advance_by;
        s.seconds = read_duration(w, 1, w.size());
    } else if (verb == "в" || verb == "до") {
        s.kind = StepKind::advance_to;
        if (w.size() != (verb == "в" ? 2u : 3u)) {
            fail(verb == "в" ? "ожидалось «в ЧЧ:ММ»" : "ожидалось «до понедельника ЧЧ:ММ»");
        }
        if (verb == "до") {
            s.weekday = read_weekday(w[1]);
        }
        read_clock(w.back(), s.hour, s.minute);
    } else if (verb == "ожидать") {
        s.kind = StepKind::expect;
        s.point = read_point(w, i);
        if (i + 1 >= w.size() || w[i] != "=") {
            fail("ожидалось «ожидать ... = значение» или «= от..до»");
        }
        read_values(w[i + 1], s.low, s.high);
        i += 2;
        if (i < w.size()) {
            if (i + 1 >= w.size() || w[i] != "в" || w[i + 1] != "течение") {
                fail("после значения ожидалось «в течение 5 мин» или конец строки");
            }
            s.seconds = read_duration(w, i + 2, w.size());
        }
    } else {
        fail(
            "ожидался шаг (установить, зафиксировать, отпустить, через, в, до, ожидать), "
            "тест, начало или цикл, а не «" +
            verb + "»");
    }
    return s;
}

bool valid_utf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

// The line without its comment and its blanks at the ends; a `#` inside quotes stays.
std::string strip(const std::string& line) {
    bool quoted = false;
    std::size_t end = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted) {
            end = i;
            break;
        }
    }
    std::size_t first = 0;
    while (first < end && std::isspace(static_cast<unsigned char>(line[first]))) {
        ++first;
    }
    while (end > first && std::isspace(static_cast<unsigned char>(line[end - 1]))) {
        --end;
    }
    return line.substr(first, end - first);
}

std::string read_name(const std::string& text) {
    const std::size_t open = text.find('"');
    const std::size_t close = text.rfind('"');
    if (open == std::string::npos || close == open || close + 1 != text.size() ||
        close == open + 1 || strip(text.substr(0, open)) != "тест") {
        fail("ожидалось имя теста в кавычках: тест \"Ночное снижение\"");
    }
    return text.substr(open + 1, close - open - 1);
}

}  // namespace

const ScenarioCase* Scenario::case_at(int line) const {
    const ScenarioCase* found = nullptr;
    for (const ScenarioCase& c : cases) {
        if (c.line <= line) {
            found = &c;
        }
    }
    return found;
}

std::string ScenarioParser::parse(const std::string& path, const std::string& text, Scenario& out) {
    out = Scenario{};
    out.path = path;
    std::optional<ClockTime> start;
    std::set<std::string> names;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    try {
        while (std::getline(in, raw)) {
            ++line;
            if (line == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) {
                raw.erase(0, 3);  // a byte order mark some editors write
            }
            if (!valid_utf8(raw)) {
                fail("строка не в кодировке UTF-8: сохраните файл в UTF-8");
            }
            const std::string stripped = strip(raw);
            if (stripped.empty()) {
                continue;
            }
            Words w;
            std::istringstream words(stripped);
            for (std::string word; words >> word;) {
                w.push_back(word);
            }
            const bool steps_begun = !out.cases.empty() && !out.cases.back().steps.empty();
            if (w[0] == "начало") {
                if (steps_begun) {
                    fail("начало пишется до первого шага теста");
                }
                (out.cases.empty() ? start.emplace() : out.cases.back().start) = read_start(w);
            } else if (w[0] == "цикл") {
                if (!out.cases.empty()) {
                    fail("цикл задаётся для всего файла, до первого теста");
                }
                const bool ms = w.size() == 3 && w[2] == "мс";
                out.period = ms ? std::chrono::milliseconds(number(w[1], 3600000, "длительность"))
                                : std::chrono::seconds(read_duration(w, 1, w.size()));
                if (out.period < std::chrono::milliseconds(100) ||
                    out.period > std::chrono::hours(1)) {
                    fail("цикл: от 100 мс до 1 ч");
                }
            } else if (w[0] == "тест") {
                ScenarioCase c;
                c.name = read_name(stripped);
                c.line = line;
                if (!start) {
                    fail("ожидалось «начало ГГГГ-ММ-ДД ЧЧ:ММ» до первого теста");
                }
                if (!names.insert(c.name).second) {
                    fail("тест \"" + c.name + "\" уже есть в этом файле");
                }
                c.start = *start;
                out.cases.push_back(std::move(c));
            } else {
                ScenarioStep s = read_step(w);
                if (out.cases.empty()) {
                    fail("шаг до первого теста: ожидалось тест \"Имя\"");
                }
                s.line = line;
                s.text = stripped;
                out.cases.back().steps.push_back(std::move(s));
            }
        }
        if (out.cases.empty()) {
            line = std::max(line, 1);
            fail("в файле нет ни одного теста: ожидалось тест \"Имя\"");
        }
    } catch (const Problem& p) {
        return path + ":" + std::to_string(line) + ": " + p.text;
    }
    return {};
}

std::string ScenarioParser::load(const std::string& path, Scenario& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return path + ": файл сценария не открывается";
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(path, text.str(), out);
}

std::string format_scenario_time(const sim::CivilTime& t) {
    static const std::array<const char*, 7> kDays{"вс", "пн", "вт", "ср", "чт", "пт", "сб"};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return std::string(buffer) + ", " + kDays[sim::day_of_week(t)];
}

}  // namespace vx::debugger
