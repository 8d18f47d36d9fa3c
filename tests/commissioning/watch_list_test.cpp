// The watch list on its own: its rows and names, the formats of its values, the
// check of a typed value, and its list files.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commissioning/watch_list.h"
#include "commissioning/watch_list_file.h"

namespace vx::test {
namespace {

// The list the window shows: rows removed in any order take their history with them,
// names are kept as typed and used without their blanks, a charted row's legend.
TEST(WatchList, RemovesRowsInAnyOrderAndNamesWithoutBlanks) {
    commissioning::WatchList list;
    for (int v : {4, 7, 4, 1024, 9, 2}) {
        list.add(v, v == 7 ? " Насос " : "", v != 9);
    }
    EXPECT_EQ((std::vector<int>{3, 5}), list.new_variables({4, 3, -1, 5, 3, 1024}));
    EXPECT_EQ(2, list.apply_names({{9, "Зал"}, {2, "  "}, {3, "нет"}}));
    EXPECT_EQ(" Насос ", list.rows()[1].name);
    EXPECT_EQ((std::map<int, std::string>{{7, "Насос"}, {9, "Зал"}}), list.names());
    EXPECT_EQ((std::map<int, std::string>{{2, "var[2]"}, {4, "var[4]"}, {7, "Насос"}}),
              list.charted());
    list.history().add(std::chrono::system_clock::now(), std::vector<uint16_t>(1024, 5));
    EXPECT_EQ((std::vector<int>{3, 0}), list.removal_order({0, 3, -1, 3, 8}));
    list.remove_row(3);
    list.remove_row(0);
    EXPECT_EQ((std::vector<int>{7, 9}), list.variables());
    EXPECT_EQ(nullptr, list.history().series(4));
    EXPECT_EQ(5, list.series(1)->values.back());
}

// A row's values in its format, a value typed in it checked to the 16 bits written.
TEST(WatchList, ValuesShownAndTypedInEachFormat) {
    using F = commissioning::ValueFormat;
    struct Shown {
        uint16_t value;
        const char *as_unsigned, *as_signed, *as_hex;
    };
    for (const Shown& r :
         {Shown{65535, "65535", "-1", "FFFF"}, Shown{32768, "32768", "-32768", "8000"},
          Shown{32767, "32767", "32767", "7FFF"}, Shown{10, "10", "10", "000A"}}) {
        EXPECT_EQ(r.as_unsigned, commissioning::value_text(r.value, F::unsigned_decimal));
        EXPECT_EQ(r.as_signed, commissioning::value_text(r.value, F::signed_decimal));
        EXPECT_EQ(r.as_hex, commissioning::value_text(r.value, F::hex));
    }
    // Extremes are ordered as the row reads them: -1 is the lowest when signed.
    commissioning::WatchList list;
    list.add(3);
    for (uint16_t value : {5, 65535, 7}) {
        list.history().add(std::chrono::system_clock::now(), std::vector<uint16_t>(4, value));
    }
    const std::pair<F, std::pair<std::string, std::string>> extremes[] = {
        {F::unsigned_decimal, {"5", "65535"}},
        {F::signed_decimal, {"-1", "7"}},
        {F::hex, {"0005", "FFFF"}}};
    for (const auto& [format, low_high] : extremes) {
        list.set_format(0, format);
        EXPECT_EQ(low_high,
                  std::make_pair(list.extreme_text(0, false), list.extreme_text(0, true)));
    }
    struct Typed {
        const char* text;
        F format;
        int written;  // -1: refused with the message
        const char* message = "";
    };
    const Typed typed[] = {
        {" 65535 ", F::unsigned_decimal, 65535},
        {"-1", F::signed_decimal, 65535},
        {"-32768", F::signed_decimal, 32768},
        {"ffff", F::hex, 65535},
        {"0x1F", F::hex, 31},
        {"65536", F::unsigned_decimal, -1, "Значение должно быть от 0 до 65535."},
        {"-1", F::unsigned_decimal, -1, "Значение должно быть от 0 до 65535."},
        {"32768", F::signed_decimal, -1, "Значение должно быть от -32768 до 32767."},
        {"10000", F::hex, -1, "Значение должно быть от 0000 до FFFF."},
        {"12a", F::unsigned_decimal, -1, "Значение: «12a» не является целым числом."},
        {"", F::signed_decimal, -1, "Значение: «» не является целым числом."},
        {"-1", F::hex, -1, "Значение: «-1» не является шестнадцатеричным числом."},
    };
    for (const Typed& t : typed) {
        SCOPED_TRACE(t.text);
        std::string error;
        const std::optional<uint16_t> value =
            commissioning::parse_variable_value(t.text, t.format, error);
        EXPECT_EQ(t.written, value ? *value : -1);
        EXPECT_EQ(t.message, error);
    }
}

// A list file comes back as it was saved; a damaged one names its first bad line and
// leaves the rows as they were.
TEST(WatchList, ListFilesReadBackAndNameTheirFirstBadLine) {
    commissioning::WatchList list;
    list.add(700, "Уставка; зал", true, commissioning::ValueFormat::hex);
    list.add(5, "Две\nстроки", false, commissioning::ValueFormat::signed_decimal);
    list.add(0);
    const std::string text = commissioning::watch_list_text(list);
    std::vector<commissioning::WatchList::Row> rows;
    ASSERT_EQ("", commissioning::parse_watch_list("\xEF\xBB\xBF" + text, rows));
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("Уставка; зал", rows[0].name);
    EXPECT_EQ("Две строки", rows[1].name);
    EXPECT_EQ((std::vector<bool>{true, false, false}),
              (std::vector<bool>{rows[0].charted, rows[1].charted, rows[2].charted}));
    EXPECT_EQ(commissioning::ValueFormat::signed_decimal, rows[1].format);
    const std::string head = std::string(commissioning::kWatchListHeader) + "\n";
    const std::pair<std::string, std::string> damaged[] = {
        {"", "строка 1: файл пуст."},
        {"5;unsigned;0;\n", "строка 1: это не список наблюдения (нет строки «vx-watch-list;1»)."},
        {head + "\n1024;unsigned;0;x", "строка 3: номер переменной должен быть от 0 до 1023."},
        {head + "7;unsigned;0", "строка 2: ожидается «номер;формат;график;имя»."},
        {head + "seven;unsigned;0;",
         "строка 2: номер переменной: «seven» не является целым числом."},
        {head + "7;decimal;0;", "строка 2: формат «decimal» не один из unsigned, signed, hex."},
        {head + "7;hex;yes;", "строка 2: график «yes» не 0 и не 1."},
        {head + "7;he\rx;1;", "строка 2: формат «he x» не один из unsigned, signed, hex."},
        {head + "7;hex;1;\xC0\xE1", "строка 2: текст не в кодировке UTF-8."},
        {head + "7;hex;1;a\r\n8;hex;0;\r\n7;signed;0;b",
         "строка 4: переменная 7 уже есть в строке 2."},
    };
    for (const auto& [bad, error] : damaged) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(error, commissioning::parse_watch_list(bad, rows));
        EXPECT_EQ(3u, rows.size());
    }
    // A carriage return inside a name is read as the blank the writer makes of it.
    ASSERT_EQ("", commissioning::parse_watch_list(head + "9;hex;0;a\rb\r\n", rows));
    EXPECT_EQ("a b", rows[0].name);
}

}  // namespace
}  // namespace vx::test
