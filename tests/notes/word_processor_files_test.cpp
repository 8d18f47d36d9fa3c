// Notes files saved by real word processors (tests/notes/data) read back to their text and
// formats.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "notes/rtf_reader.h"
#include "rtf_test_util.h"

namespace vx::notes {
namespace {

const char* const word_processor_files[] = {
    "libreoffice_7.4.rtf",
    "abiword_3.0_cp1251.rtf",
    "abiword_3.0_cp1252.rtf",
};

std::string data_file(const std::string& name) {
    std::ifstream in(std::string(VX_SOURCE_DIR) + "/tests/notes/data/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return {std::istreambuf_iterator<char>(in), {}};
}

// The paragraphs of notes_source.html, with the formats that it gives them.
const char* const expected_runs =
    "[]Назначение переменных программы «Отопление»\n"
    "[]#var[0] [b]Текущее время\n"
    "[]#var[1] 1 [i]Ночь[], 2 День\n"
    "[]#var[2] Режим работы: 0 дома, 1 никого нет, 2 [u]отпуск\n"
    "[]#var[5] Уставка ≥ 18 °C, датчик 10 кΩ, цена 5 €\n"
    "[]#var[7] {резерв} C:\\prog\\дом.prg № 3 — «ёлка»\n";

TEST(WordProcessorFiles, ReadToTheExactTextFormatsAndFont) {
    for (const char* name : word_processor_files) {
        SCOPED_TRACE(name);
        const ReadResult result = read_rtf(data_file(name));
        EXPECT_EQ(ReadStatus::ok, result.status) << result.problem;
        EXPECT_EQ(expected_runs, test::describe(result.document));
        EXPECT_EQ("Liberation Sans", result.document.font_name);
        EXPECT_EQ(10, result.document.font_size_pt);
    }
}

// With its \uN escapes taken out, AbiWord's Russian file keeps only the code
// page 1251 fallbacks (\'hh under \ansicpg1251 and charset 204 fonts): what a
// reader without Unicode sees. The two characters that code page lacks were
// written with no fallback at all and vanish.
TEST(WordProcessorFiles, Cp1251FallbacksAloneGiveTheCyrillicText) {
    const std::string unicode_escape = R"(\\uc\d+|\\u-?\d+ ?)";
    const std::string fallbacks_only =
        std::regex_replace(data_file("abiword_3.0_cp1251.rtf"), std::regex(unicode_escape), "");
    ASSERT_EQ(std::string::npos, fallbacks_only.find("\\u1"));
    const ReadResult result = read_rtf(fallbacks_only);
    EXPECT_EQ(ReadStatus::ok, result.status) << result.problem;
    EXPECT_EQ(
        "Назначение переменных программы «Отопление»\n"
        "#var[0] Текущее время\n"
        "#var[1] 1 Ночь, 2 День\n"
        "#var[2] Режим работы: 0 дома, 1 никого нет, 2 отпуск\n"
        "#var[5] Уставка  18 °C, датчик 10 к, цена 5 €\n"
        "#var[7] {резерв} C:\\prog\\дом.prg № 3 — «ёлка»",
        document_text(result.document));
}

}  // namespace
}  // namespace vx::notes
