// The commissioning library without a process: the configuration file, compare and
// restore, variable names, the watch CSV and history, transfer texts, the support report.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_file.h"
#include "commissioning/configuration_restore.h"
#include "commissioning/configuration_texts.h"
#include "commissioning/file_transfer.h"
#include "commissioning/support_report.h"
#include "commissioning/watch.h"
#include "sim/simulator_thread.h"
#include "tests/support/temp_dir.h"

namespace vx::commissioning {
namespace {

using namespace std::chrono_literals;

Configuration house() {
    Configuration c;
    c.taken = "2026-12-09T14:03:27";
    c.controller_version = "2.15";
    c.services = {true, false, true};
    c.cycle_delay = 1;
    c.start_values = std::vector<uint16_t>(kVariableCount, 0);
    (*c.start_values)[1023] = 65535;
    c.poll_frequencies = std::vector<uint8_t>(kAddressCount, 10);
    c.modules = std::vector<ModuleConfiguration>{
        {1, "VX Duo65", 14, std::vector<uint8_t>(kParameterCount, 7)},
        {3, "VX Duo88", 12, std::vector<uint8_t>(kParameterCount, 0)},
        {5, "VX In16", 7, std::nullopt}};
    c.x10.emplace();
    (*c.x10)[1][16] = 1;  // B1 obeys All Lights On
    return c;
}

// The house with a difference in every section, module 1's version (read-only) among them.
Configuration changed_house() {
    Configuration c = house();
    (*c.services)[2] = false;
    (*c.start_values)[1023] = 1;
    (*c.poll_frequencies)[127] = 5;
    (*c.poll_frequencies)[7] = 5;
    (*c.modules)[0].parameters->at(2) = 15;
    (*c.modules)[0].parameters->at(20) = 44;
    (*c.modules)[1].name = "VX In16";  // another type at address 3
    (*c.modules)[2].address = 6;       // 5 gone, 6 added
    (*c.x10)[1][16] = 0;
    return c;
}

std::string place(const Difference& d) {
    return difference_place(d) + " " + d.file + " " + d.controller;
}

TEST(ConfigurationFile, ReadsBackWhatItWrites) {
    const Configuration written = house();
    Configuration read;
    ASSERT_EQ("", configuration_from_json(configuration_to_json(written), read));
    EXPECT_TRUE(compare_configurations(written, read).empty());
    EXPECT_EQ(written.taken, read.taken);
    EXPECT_FALSE(read.module_at(5)->parameters.has_value());
    EXPECT_EQ(1, (*read.x10)[1][16]);
    EXPECT_NE(std::string::npos, configuration_to_json(written).find("\"all_lights_on\":[\"B1\"]"));
}

TEST(ReadPlan, ReadsOnlyTheSectionsAFileHolds) {
    Configuration partial, read;
    partial.cycle_delay = 2;
    ASSERT_EQ("", configuration_from_json(configuration_to_json(partial), read));
    const ReadPlan plan = ReadPlan::matching(read, nullptr);
    EXPECT_TRUE(plan.cycle_delay);
    EXPECT_FALSE(plan.services || plan.start_values || plan.poll_frequencies || plan.modules);
}

TEST(ConfigurationCompare, ListsEveryValueThatDiffersInTheOrderARestoreWrites) {
    const std::vector<std::string> expected = {
        "modules[3] VX Duo88 VX In16",   "modules[5] VX In16 none",
        "modules[6] none VX In16",       "start_values[1023] 65535 1",
        "poll_frequencies[8] 10 5",      "poll_frequencies[128] 10 5",
        "modules[1].parameters[2] 7 15", "modules[1].parameters[20] 7 44",
        "x10[all_lights_on][B1] on off", "services[program] on off",
    };
    std::vector<std::string> places;
    for (const Difference& d : compare_configurations(house(), changed_house())) {
        places.push_back(place(d));
    }
    EXPECT_EQ(expected, places);
}

// A value that only one file holds is named, not compared; an equal value gives no row.
TEST(ConfigurationCompare, TwoFilesGiveTheRowsThatDifferAndNameWhatOneLacks) {
    Configuration first = house(), second = house();
    (*second.start_values)[5] = 9;
    second.x10.reset();
    (*second.modules)[1].parameters.reset();
    const Comparison comparison = compare_files(first, second);
    ASSERT_EQ(1u, comparison.differences.size());
    EXPECT_EQ("start_values[5] 0 9", place(comparison.differences[0]));
    EXPECT_EQ((std::vector<std::string>{
                  "Таблицы X10: есть только в первом файле, не сравнены.",
                  "Модуль 3 (VX Duo88): параметры есть только в первом файле, не сравнены."}),
              note_lines(comparison.skipped, false));
    EXPECT_EQ(
        "Параметры модулей — Модуль 3 (VX Duo88): параметры есть только в первом файле, не "
        "сравнены.",
        note_line(comparison.skipped.at(1), true));
    EXPECT_EQ("Таблицы X10: есть только во втором файле, не сравнены.",
              note_line(compare_files(second, first).skipped.at(0), true));
}

// Counts with the noun's form for them, and the question before a write counting the ticked
// rows of each section.
TEST(ConfigurationTexts, CountsRowsWithTheirNounFormBeforeAWrite) {
    const std::pair<int, const char*> counts[] = {
        {0, "0 строк"},    {1, "1 строка"},     {2, "2 строки"},    {4, "4 строки"},
        {5, "5 строк"},    {11, "11 строк"},    {12, "12 строк"},   {21, "21 строка"},
        {22, "22 строки"}, {101, "101 строка"}, {111, "111 строк"}, {1024, "1024 строки"},
    };
    for (const auto& [count, expected] : counts) {
        EXPECT_EQ(expected, count_text(count, kRowForms));
    }
    RestorePlan plan = plan_restore(house(), changed_house());
    EXPECT_EQ(
        "Будет записано в контроллер: Начальные значения переменных — 1 строка, Частоты "
        "опроса — 2 строки, Параметры модулей — 1 строка, Таблицы X10 — 1 строка, Службы — "
        "1 строка. Продолжить?",
        write_question(plan));
    for (RestoreRow& row : plan.rows) {
        row.selected = row.difference.section == ConfigSection::poll_frequencies;
    }
    EXPECT_EQ("Будет записано в контроллер: Частоты опроса — 2 строки. Продолжить?",
              write_question(plan));
    plan.rows[1].selected = plan.rows[2].selected = false;
    EXPECT_EQ("", write_question(plan));
}

// Neither the modules themselves nor their read-only parameters are restored; parameters
// of a module of another type are skipped with a line; the modules and their parameters
// go together in a limit.
TEST(RestorePlan, PlansOnlyWhatCanBeWrittenInScope) {
    const struct {
        std::vector<ConfigSection> only;
        std::vector<std::string> rows;
    } cases[] = {
        {{},
         {"start_values[1023] 65535 1", "poll_frequencies[8] 10 5", "poll_frequencies[128] 10 5",
          "modules[1].parameters[20] 7 44", "x10[all_lights_on][B1] on off",
          "services[program] on off"}},
        {{ConfigSection::parameters, ConfigSection::cycle_delay},
         {"modules[1].parameters[20] 7 44"}},
        {{ConfigSection::modules}, {"modules[1].parameters[20] 7 44"}},
        {{ConfigSection::services}, {"services[program] on off"}},
    };
    for (const auto& [only, rows] : cases) {
        SCOPED_TRACE(only.size());
        const RestorePlan plan = plan_restore(house(), changed_house(), only);
        std::vector<std::string> places;
        for (const RestoreRow& row : plan.rows) {
            places.push_back(place(row.difference));
        }
        EXPECT_EQ(rows, places);
        EXPECT_EQ(in_sections(ConfigSection::modules, only) ? 1u : 0u, plan.skipped.size());
    }
    // A script reads the place in the file, the window the same place in words.
    const std::vector<PlaceNote> skipped = plan_restore(house(), changed_house()).skipped;
    EXPECT_EQ(std::vector<std::string>{"modules[3]: параметры не записаны: на контроллере модуль "
                                       "другого типа (VX In16)."},
              note_lines(skipped, false));
    EXPECT_EQ(std::vector<std::string>{"Параметры модулей — Модуль 3 (VX Duo88): параметры не "
                                       "записаны: на контроллере модуль другого типа (VX In16)."},
              note_lines(skipped, true));
}

// A written value that the read-back does not hold, or holds otherwise, fails; a write
// whose reply was lost is verified when the controller applied it.
TEST(VerifyRestore, MarksARowByWhatTheReadBackHolds) {
    const Configuration file = house();
    RestorePlan plan = plan_restore(
        file, changed_house(),
        {ConfigSection::modules, ConfigSection::start_values, ConfigSection::poll_frequencies});
    ASSERT_EQ(4u, plan.rows.size());
    for (RestoreRow& row : plan.rows) {
        row.outcome = WriteOutcome::written;
    }
    plan.rows[0].outcome = WriteOutcome::failed;
    Configuration reread = file;
    reread.modules->erase(reread.modules->begin());
    (*reread.poll_frequencies)[6] = (*reread.poll_frequencies)[8] = 1;  // address 8's neighbours
    verify_restore(plan, reread);
    EXPECT_EQ(WriteOutcome::verified, plan.rows[0].outcome);  // start_values[1023]
    EXPECT_EQ(WriteOutcome::verified, plan.rows[1].outcome);  // poll_frequencies[8]
    EXPECT_EQ(WriteOutcome::failed, plan.rows[3].outcome);    // module 1 no longer read
    plan.x10_commit = {true, kNoReply};
    EXPECT_EQ(std::vector<std::string>{"Таблицы X10: таблицы X10 не сохранены в контроллере: нет "
                                       "ответа."},
              note_lines(commit_failures(plan), true));
}

TEST(WatchCsv, HeaderNamesTheWatchedVariablesWithoutTheSeparator) {
    EXPECT_EQ("Время;var[7] Насос  подача;var[8]",
              watch_csv_header({7, 8}, {{7, "Насос; подача"}, {9, "не в списке"}}));
}

// Each row in milliseconds, and seen by another reader while the record is still open.
TEST(WatchCsv, WritesEachRowAtOnceWithMilliseconds) {
    WatchSample sample;
    sample.time = std::chrono::system_clock::now();
    sample.values = {1, 65535};
    EXPECT_EQ(23u, local_time_text(sample.time).size());  // YYYY-MM-DD HH:MM:SS.mmm
    const auto path = std::filesystem::temp_directory_path() / "vx-watch-csv-test.csv";
    {
        WatchCsv csv;
        ASSERT_EQ("", csv.open(path, {7, 8}, {}));
        ASSERT_EQ("", csv.write(sample));
        std::ifstream reader(path, std::ios::binary);
        const std::string seen{std::istreambuf_iterator<char>(reader), {}};
        EXPECT_EQ("\xEF\xBB\xBF" + watch_csv_header({7, 8}, {}) + "\r\n" +
                      local_time_text(sample.time) + ";1;65535\r\n",
                  seen);
    }
    std::filesystem::remove(path);
}

// Tries while the controller is away: at once, then after 1, 3, 7 skipped samples, never
// more than the cap apart; an answer starts over.
TEST(ReconnectSchedule, BacksOffInSamplesUpToItsCapAndStartsOverOnAnAnswer) {
    ReconnectSchedule schedule(1s, 5s);
    std::string tries;
    for (int sample = 0; sample < 24; ++sample) {
        if (sample == 19) {
            schedule.succeeded();
        }
        const bool due = schedule.due();
        tries += due ? 'T' : '.';
        if (due) {
            schedule.failed();
        }
    }
    EXPECT_EQ("T.T...T.....T.....TT.T..", tries);
}

// 15 samples a second apart into a history of 10 s: variable 1 spikes to 900 at 7 s and
// settles on 101 from 11 s, 2 is steady and joins at 5 s, 3 falls at 9 s.
WatchHistory history_of_15_samples(WatchHistory::Clock::time_point t0) {
    WatchHistory history(10s);
    history.watch(1);
    history.watch(3);
    std::vector<uint16_t> all(kVariableCount, 0);
    for (int i = 0; i < 15; ++i) {
        if (i == 5) {
            history.watch(2);
        }
        all[1] = i == 7 ? 900 : (i < 12 ? 100 + i % 2 : 101);
        all[2] = 5;
        all[3] = i < 9 ? 60 : 40;
        history.add(t0 + i * 1s, all);
    }
    return history;
}

// A series holds the newest 10 s since it joined, its extremes and its last change.
TEST(WatchHistory, KeepsTheNewestSpanExtremesAndLastChangeOfEachSeries) {
    const auto t0 = WatchHistory::Clock::now();
    WatchHistory history = history_of_15_samples(t0);
    EXPECT_EQ(11u, history.size());  // 4 s to 14 s
    const WatchHistory::Series& s = *history.series(1);
    EXPECT_EQ(11u, s.values.size());
    EXPECT_EQ(10u, history.series(2)->values.size());
    EXPECT_EQ(100, s.min);
    EXPECT_EQ(900, s.max);
    EXPECT_EQ(t0 + 11s, s.changed);  // 101 from 11 s on
    EXPECT_FALSE(history.series(2)->changed.has_value());
    EXPECT_EQ(t0 + 9s, history.series(3)->changed);
    history.forget(2);
    EXPECT_EQ(nullptr, history.series(2));
}

TEST(WatchHistory, TrendStartsWhereAskedAndKeepsSpikesWhenSqueezed) {
    const auto t0 = WatchHistory::Clock::now();
    const WatchHistory history = history_of_15_samples(t0);
    const auto from_10s = history.trend(1, t0 + 10s, 100);
    ASSERT_EQ(5u, from_10s.size());
    EXPECT_EQ(100, from_10s[0].value);
    const auto squeezed = history.trend(1, t0, 4);
    EXPECT_LE(squeezed.size(), 4u);
    EXPECT_TRUE(std::any_of(squeezed.begin(), squeezed.end(),
                            [](const WatchHistory::Point& p) { return p.value == 900; }));
}

TEST(SelectVariables, InTheAskedOrderAndNoneFromAnUnansweredSample) {
    std::vector<uint16_t> all(kVariableCount, 0);
    all[1] = 101;
    all[2] = 5;
    WatchSample read{std::chrono::system_clock::now(), true, {}, all};
    EXPECT_EQ((std::vector<uint16_t>{5, 101}), select_variables(read, {2, 1}).values);
    read.answered = false;
    EXPECT_TRUE(select_variables(read, {2, 1}).values.empty());
}

TEST(FileTransfer, TextsAreTheConfiguratorsOwn) {
    const struct {
        int kind;
        TransferStage stage;
        int code;
        const char* text;
    } rows[] = {
        {kTransferProgram, TransferStage::finished, 0, "Программа успешно загружена."},
        {kTransferProgram, TransferStage::finished, -3,
         "Произошла внутренняя ошибка программы VX Configurator."},
        {kTransferProgram, TransferStage::begin_failed, 0,
         "Контроллер не отвечает или произошла ошибка при задании размера файла"},
        {kTransferFirmware, TransferStage::packet_failed, 0,
         "Ошибка при передаче данных во время загрузки прошивки.\nЗагрузка прервана."},
        {kTransferFirmware, TransferStage::finished, 1,
         "Прошивка не загружена из-за ошибок при передаче данных."},
        {kTransferFirmware, TransferStage::file_not_read, 0, "Ошибка при открытии файла."},
        {kTransferProgram, TransferStage::file_empty, 0,
         "Файл пуст, в контроллер ничего не передано."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.text, transfer_result_text(row.kind, {row.stage, row.code}));
    }
}

class ConfigurationAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, connect_to_service(c_, sim_.port()));
        plan_.parameter_addresses = {1};
    }
    sim::SimulatorThread sim_;
    ControllerConnection c_;
    ReadPlan plan_;
};

TEST_F(ConfigurationAgainstSimulator, AReadStopsBetweenRequestsWhenAsked) {
    Configuration controller;
    std::vector<std::string> notes;
    int steps = 0;
    StepObserver stop_early{[&](const std::string&, int done, int) { steps = done; },
                            [&] { return steps >= 3; }};
    EXPECT_EQ(kStopped, read_configuration(c_, plan_, controller, notes, stop_early));
    EXPECT_EQ(3, steps);
}

// A restore goes on past a refused write, commits the services it switched, and the
// read-back marks each row.
TEST_F(ConfigurationAgainstSimulator, ARestoreGoesOnPastARefusalAndIsReadBack) {
    Configuration controller;
    std::vector<std::string> notes;
    std::vector<std::string> steps;
    const StepObserver in_words{
        [&](const std::string& step, int, int) { steps.push_back(step); }, {}, true};
    ASSERT_EQ(kDone, read_configuration(c_, plan_, controller, notes, in_words));
    Configuration file = controller;
    ASSERT_TRUE(file.modules && !file.modules->empty() && (*file.modules)[0].parameters);
    (*file.modules)[0].parameters->at(2) = 99;  // the module's version: read-only, not written
    (*file.modules)[0].parameters->at(30) = 99;
    (*file.services)[1] = true;
    RestorePlan restore = plan_restore(file, controller);
    ASSERT_EQ(2u, restore.rows.size());
    sim_.with_state([](sim::ControllerState& s) { return s.module_at(1)->active = false; });
    const RestoreResult result = restore_and_verify([this](SerialPort*&) { return &c_; }, file, {},
                                                    restore, in_words, in_words);
    EXPECT_EQ(kDone, result.run);
    EXPECT_EQ(kDone, result.read_back);
    EXPECT_EQ(WriteOutcome::failed, restore.rows[0].outcome);  // the module stopped answering
    EXPECT_EQ(WriteOutcome::verified, restore.rows[1].outcome);
    EXPECT_EQ(kDone, restore.services_commit.result);
    EXPECT_TRUE(sim_.with_state([](sim::ControllerState& s) { return s.committed().services[1]; }));
    EXPECT_TRUE(result.reread.services && (*result.reread.services)[1]);
    // Progress in the installer's words, never places in the file.
    for (const std::string& step : steps) {
        EXPECT_EQ(std::string::npos, step.find_first_of("[]")) << step;
    }
    for (const std::string& step :
         {"Параметры модулей — " + module_title(1, controller.module_at(1)->name),
          std::string("Службы — Работа с MySQL"), std::string("Версия контроллера")}) {
        EXPECT_NE(steps.end(), std::find(steps.begin(), steps.end(), step)) << step;
    }
}

// A settings file in a folder of its own, which is the home folder too.
class SupportReportSettings : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(settings_) << "[Connection]\nPort=2100\n[AutoLoad]\nComPortDevice=" << home_
                                 << "/serial\n";
    }
    test::TempDir dir_;
    const std::string home_ = dir_.path().string();
    const std::filesystem::path settings_ = dir_.file("vx-support-report-test.ini");
    SupportReportInputs inputs_{"1.0", "Linux", settings_.string(),     nullptr,
                                home_, {},      kSupportReportSizeLimit};
};

// Every section is in the report; a controller that has gone leaves its error in each
// of its sections instead of leaving them out.
TEST_F(SupportReportSettings, EachControllerSectionHoldsItsValueOrItsError) {
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent" : "answering");
        sim::SimulatorThread sim;
        ControllerConnection c;
        ExchangeLog log;
        c.observer = [&](const ExchangeRecord& r) { log.add(r); };
        ASSERT_EQ(0, connect_to_service(c, sim.port()));
        if (silent) {
            sim.stop();
        }
        int last_done = -1, last_total = 0;
        StepObserver progress{[&](const std::string&, int done, int total) {
                                  EXPECT_EQ(last_done + 1, done);
                                  last_done = done;
                                  last_total = total;
                              },
                              nullptr};
        inputs_.exchange_log = &log;
        const auto report = nlohmann::json::parse(gather_support_report(c, inputs_, progress));
        EXPECT_EQ(last_total, last_done);
        for (const char* key : {"program_version", "operating_system", "exchange_log"}) {
            EXPECT_TRUE(report.contains(key)) << key;
        }
        for (const char* key :
             {"controller_version", "services", "clock", "cycle_delay", "modules", "variables"}) {
            ASSERT_TRUE(report.contains(key)) << key;
            EXPECT_EQ(silent, report[key].is_object() && report[key].contains("error")) << key;
        }
        EXPECT_FALSE(report["exchange_log"].empty());
        EXPECT_EQ(silent, report["module_statistics"]["failures"].get<int>() > 0);
        if (!silent) {
            EXPECT_EQ(kVariableCount, static_cast<int>(report["variables"].size()));
        }
    }
}

// The settings file by its name and the home folder as ~; a missing file or log is an
// error, and no text holds the folder.
TEST_F(SupportReportSettings, NamesNoFolderAndRecordsWhatIsMissing) {
    ControllerConnection gone;
    std::string text = gather_support_report(gone, inputs_);
    auto report = nlohmann::json::parse(text);
    EXPECT_EQ("[Connection]\nPort=2100\n[AutoLoad]\nComPortDevice=~/serial\n",
              report["settings"]["contents"]);
    EXPECT_EQ("vx-support-report-test.ini", report["settings"]["file"]);
    EXPECT_EQ(std::string::npos, text.find(home_));
    std::filesystem::remove(settings_);
    text = gather_support_report(gone, inputs_);
    report = nlohmann::json::parse(text);
    EXPECT_TRUE(report["settings"].contains("error"));
    EXPECT_TRUE(report["exchange_log"].contains("error"));
    EXPECT_EQ(std::string::npos, text.find(home_));
}

// The report of a full exchange log with a chunk in every record.
nlohmann::json report_of_full_log(SupportReportSections sections, std::size_t limit) {
    ExchangeLog log;
    ExchangeRecord chunk;
    chunk.operation = "transfer_chunk";
    chunk.sent.assign(1028, 0xAB);
    chunk.sent[0] = 0x51;
    chunk.received = {0x06, 0x00, 0x06};
    for (std::size_t i = 0; i < ExchangeLog::kDefaultCapacity; ++i) {
        chunk.parameters = std::to_string(i);
        log.add(chunk);
    }
    ControllerConnection gone;
    const std::string text =
        gather_support_report(gone, {"1.0", "Linux", "", &log, "", sections, limit});
    EXPECT_TRUE(limit == 0 || text.size() <= limit) << text.size();
    return nlohmann::json::parse(text);
}

// Payloads cut to their first bytes, and the oldest exchanges left out to keep the report
// under its limit while the newest stay.
TEST(SupportReport, KeepsTheNewestExchangesWithinItsSize) {
    const auto limited = report_of_full_log({}, kSupportReportSizeLimit);
    const auto& rows = limited["exchange_log"];
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(ExchangeLog::kDefaultCapacity,
              rows.size() + limited["exchange_log_left_out"].get<std::size_t>());
    EXPECT_EQ("transfer_chunk 9999", rows.back()["request"]);
    EXPECT_EQ("51 AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB", rows.back()["sent"]);
    EXPECT_EQ(1028, rows.back()["sent_bytes"]);
    EXPECT_EQ("06 00 06", rows.back()["received"]);
    EXPECT_FALSE(rows.back().contains("received_bytes"));
    EXPECT_EQ(ExchangeLog::kDefaultCapacity, report_of_full_log({}, 0)["exchange_log"].size());
}

TEST(SupportReport, HoldsOnlyTheChosenSections) {
    const auto bare = report_of_full_log({false, false, false}, kSupportReportSizeLimit);
    EXPECT_EQ((nlohmann::json{"exchange_log", "settings", "variables"}), bare["left_out"]);
    for (const char* key : {"exchange_log", "settings", "variables", "exchange_log_left_out"}) {
        EXPECT_FALSE(bare.contains(key)) << key;
    }
    EXPECT_TRUE(bare.contains("modules") && bare.contains("module_statistics"));
}

}  // namespace
}  // namespace vx::commissioning
