// The installer's words for a configuration's counts, places and steps.
#include "commissioning/configuration_texts.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "commissioning/configuration_file.h"

namespace vx::commissioning {

const char* noun_form(long long count, const NounForms& forms) {
    const long long n = count < 0 ? -count : count;
    if (n % 100 >= 11 && n % 100 <= 14) {
        return forms.many;
    }
    switch (n % 10) {
        case 1:
            return forms.one;
        case 2:
        case 3:
        case 4:
            return forms.few;
        default:
            return forms.many;
    }
}

std::string count_text(long long count, const NounForms& forms) {
    return std::to_string(count) + " " + noun_form(count, forms);
}

std::string difference_element(const Difference& d) {
    static constexpr std::array<const char*, kServiceCount> service_names{
        "Опрос модулей", "Работа с MySQL", "Программа пользователя"};
    static constexpr std::array<const char*, kX10TableCount> table_names{
        "All Units Off", "All Lights On", "All Lights Off"};
    switch (d.section) {
        case ConfigSection::start_values:
            return "Переменная " + std::to_string(d.index);
        case ConfigSection::modules:
        case ConfigSection::poll_frequencies:
            return "Модуль " + std::to_string(d.index);
        case ConfigSection::parameters:
            return "Модуль " + std::to_string(d.module) + ", параметр " + std::to_string(d.index) +
                   (d.read_only ? " (только чтение)" : "");
        case ConfigSection::x10:
            if (d.module >= 0 && d.module < kX10TableCount) {
                return std::string(table_names[static_cast<std::size_t>(d.module)]) + ", " +
                       x10_address_name(d.index);
            }
            return "";
        case ConfigSection::services:
            if (d.index >= 0 && d.index < kServiceCount) {
                return service_names[static_cast<std::size_t>(d.index)];
            }
            return "";
        case ConfigSection::cycle_delay:
            return "";
    }
    return "";
}

std::string difference_title(const Difference& d) {
    const std::string element = difference_element(d);
    return std::string(section_caption(d.section)) + (element.empty() ? "" : " — " + element);
}

std::string module_title(int address, const std::string& name) {
    return "Модуль " + std::to_string(address) + " (" + name + ")";
}

std::string module_parameters_title(int address, const std::string& name) {
    return std::string(section_caption(ConfigSection::parameters)) + " — " +
           module_title(address, name);
}

std::optional<std::string> value_text_at(const Configuration& configuration,
                                         const Difference& place) {
    const std::optional<int> value = value_at(configuration, place);
    if (!value) {
        return std::nullopt;
    }
    if (place.section == ConfigSection::services || place.section == ConfigSection::x10) {
        return *value != 0 ? "on" : "off";
    }
    return std::to_string(*value);
}

std::string write_question(const RestorePlan& plan) {
    std::vector<std::pair<ConfigSection, int>> counts;  // in the order the rows are written
    for (const RestoreRow& row : plan.rows) {
        if (!row.selected) {
            continue;
        }
        const auto same = [&row](const auto& count) {
            return count.first == row.difference.section;
        };
        auto at = std::find_if(counts.begin(), counts.end(), same);
        if (at == counts.end()) {
            at = counts.emplace(counts.end(), row.difference.section, 0);
        }
        ++at->second;
    }
    if (counts.empty()) {
        return "";
    }
    std::string text = "Будет записано в контроллер: ";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::string(section_caption(counts[i].first)) + " — " +
                count_text(counts[i].second, kRowForms);
    }
    return text + ". Продолжить?";
}

}  // namespace vx::commissioning
