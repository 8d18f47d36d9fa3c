// The exchange observer's records over the fake controller, the exchange
// log's statistics, and an exchange's texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_log.h"
#include "protocol/exchange_text.h"
#include "tests/protocol/connected_fixture.h"

namespace vx::test {
namespace {

using CC = ControllerConnection;
using Target = ExchangeTarget;

struct ObservedRow {
    std::function<void(CC&)> call;
    Bytes request;
    Bytes reply;
    std::string operation;
    std::string parameters;
    Target target;
    int result;
};

TEST_F(Connected, ObserverRecordsEachRequestWithItsNameAndModule) {
    std::vector<ExchangeRecord> records;
    c.observer = [&records](const ExchangeRecord& r) { records.push_back(r); };
    const Bytes table = padded(bytes("2A 00 00 01 B0 00"), 264);
    const std::vector<ObservedRow> rows = {
        {[](CC& c) { read_module_info(c, 17); }, bytes("51 04 11 00 00 00 00 66"),
         bytes("51 04 11 03 02 00 00 00"), "read_module_info", "17", Target::bus_module(17), kDone},
        {[](CC& c) { set_cycle_delay(c, 3); },
         bytes("51 0E 00 00 03 00 00 62"),
         bytes("51 0E 00 00 02 00 00 61"),
         "set_cycle_delay",
         "3",
         {},
         kBadEcho},
        {[](CC& c) { write_poll_frequency(c, 9, 4); }, bytes("1D 08 09 04 00 00 00 32"),
         bytes("1D 08 09 04 00 00 00 32"), "write_poll_frequency", "9 4", Target::bus_module(9),
         kDone},
        // The function calls a wrong echo "no reply"; the record tells them apart.
        {[](CC& c) { modbus_write_register(c, 5, 0x0102, 0xFFFF); },
         bytes("0B 10 05 02 01 FF FF 21"), bytes("0B 10 05 02 01 FF FF 20"),
         "modbus_write_register", "5 258 65535", Target::modbus_device(5), kBadEcho},
        {[](CC& c) { rescan_bus(c); },
         bytes("C8 20 00 00 00 00 00 E8"),
         bytes("06 00 05"),
         "rescan_bus",
         "",
         {},
         kBadEcho},
        {[](CC& c) { read_module_types(c); },
         bytes("2A 00 00 01 B0 00 94 27"),
         table,
         "read_module_types",
         "",
         {},
         kDone},
    };
    for (const ObservedRow& row : rows) {
        SCOPED_TRACE(row.operation);
        records.clear();
        fake.expect(row.request).reply(row.reply);
        row.call(c);
        fake.verify();
        ASSERT_EQ(1u, records.size());
        const ExchangeRecord& r = records[0];
        EXPECT_EQ(row.operation, r.operation);
        EXPECT_EQ(row.parameters, r.parameters);
        EXPECT_TRUE(row.target == r.target);
        EXPECT_EQ(row.result, r.result);
        EXPECT_EQ(row.request, r.sent);
        EXPECT_EQ(row.reply, r.received);
    }

    // A request of two exchanges gives two records under its one name.
    records.clear();
    fake.expect(bytes("51 07 02 00 00 00 00 5A")).reply(bytes("51 07 02 1A 0C 08 00 00"));
    fake.expect(bytes("51 07 03 00 00 00 00 5B")).reply(bytes("51 07 03 17 3B 3A 00 00"));
    EXPECT_TRUE(read_controller_clock(c).answered);
    fake.verify();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("read_controller_clock", records[1].operation);

    // A transfer records each block, named by the offset it starts at.
    records.clear();
    std::vector<uint8_t> data(1500, 0x5A);
    files::FileImage image;
    image.data = data.data();
    image.size = static_cast<int32_t>(data.size());
    image.position = 1024;
    fake.expect_any(1028).reply(bytes("51 08 01 5A 5A 5A 5A 5A"));
    EXPECT_EQ(kDone, transfer_chunk(c, image, kTransferProgram));
    fake.verify();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("8 1024", records[0].parameters);
    EXPECT_EQ(1028u, records[0].sent.size());
}

TEST(ExchangeLog, KeepsTheLatestAndCountsPerModule) {
    ExchangeLog log(3);
    const auto at = std::chrono::system_clock::now();
    const auto record = [at](Target target, int ms, int result) {
        ExchangeRecord r;
        r.start = at + std::chrono::milliseconds(ms);
        r.duration = std::chrono::milliseconds(ms);
        r.target = target;
        r.result = result;
        return r;
    };
    log.add(record(Target::modbus_device(2), 40, kDone));
    log.add(record(Target::bus_module(7), 10, kDone));
    log.add(record(Target::bus_module(7), 30, kNoReply));
    log.add(record(Target::bus_module(7), 20, kBadEcho));
    log.add(record({}, 50, kDone));

    ASSERT_EQ(3u, log.records().size());  // the two oldest went
    EXPECT_EQ(std::chrono::milliseconds(50), log.records().back().duration);
    const ExchangeSummary summary = log.summary();
    EXPECT_EQ(3u, summary.exchanges);
    EXPECT_EQ(5u, summary.total);
    EXPECT_EQ(2u, summary.failures);
    EXPECT_EQ(std::chrono::milliseconds(30), summary.median);
    EXPECT_EQ(std::chrono::milliseconds(50), summary.percentile_95);

    // Statistics count all since the last clear, bus modules first.
    const std::vector<ModuleStatistics> modules = log.module_statistics();
    ASSERT_EQ(2u, modules.size());
    EXPECT_TRUE(Target::bus_module(7) == modules[0].target);
    EXPECT_EQ(3, modules[0].requests);
    EXPECT_EQ(2, modules[0].failures);
    EXPECT_EQ(kBadEcho, modules[0].last_failure_result);
    EXPECT_EQ(at + std::chrono::milliseconds(20), modules[0].last_failure_time);
    EXPECT_EQ(std::chrono::milliseconds(20), modules[0].median_round_trip);
    EXPECT_EQ(std::chrono::milliseconds(30), modules[0].longest_round_trip);
    EXPECT_EQ(std::chrono::milliseconds(20), modules[0].mean_round_trip);
    EXPECT_EQ(0, modules[1].failures);
    EXPECT_EQ(std::chrono::milliseconds(40), modules[1].longest_round_trip);

    log.clear();
    EXPECT_EQ(0u, log.summary().exchanges);
    EXPECT_EQ(0u, log.summary().total);
    EXPECT_TRUE(log.module_statistics().empty());

    // 1 to 40 ms: the 95th percentile (nearest rank 38) and the median stand apart
    // from the maximum and from each other.
    ExchangeLog wide;
    for (int ms = 40; ms >= 1; --ms) {
        wide.add(record({}, ms, kDone));
    }
    EXPECT_EQ(std::chrono::milliseconds(38), wide.summary().percentile_95);
    EXPECT_EQ(std::chrono::milliseconds(20), wide.summary().median);
}

ExchangeRecord request(const std::string& operation, const std::string& parameters) {
    ExchangeRecord r;
    r.operation = operation;
    r.parameters = parameters;
    return r;
}

TEST(ExchangeText, BytesResultsAndTimesAsTheInstallerReadsThem) {
    using std::chrono::microseconds;
    const std::pair<std::string, std::string> rows[] = {
        {hex_bytes({}) + '|' + hex_bytes({0x06, 0x00, 0x06}), "|06 00 06"},
        {hex_bytes({0x0F, 0xA0, 0x01}, 2), "0F A0 … (3 байт)"},
        {hex_dump(std::vector<uint8_t>(17, 0xA1)).substr(54), "0010  A1\n"},
        {exchange_result_text(0), "выполнено"},
        {exchange_result_text(-15) + ", " + exchange_result_text(-16),
         "нет ответа (−15), неверный ответ (−16)"},
        {exchange_result_text(-7) + ", " + exchange_result_text(4), "ошибка (−7), ошибка (4)"},
        {exchange_target_text(ExchangeTarget::modbus_device(5)), "ModBus 5"},
        // An exact half goes up; the nearest double of 1.15 lies below it.
        {milliseconds_text(microseconds(1250)) + milliseconds_text(microseconds(1150)), "1.31.1"},
        // Requests in words, their parameters in place; the internal name where the
        // table has no words or the parameters do not fit them.
        {exchange_request_title(request("read_module_parameter", "120 100")),
         "Чтение параметра 100 модуля 120"},
        {exchange_request_title(request("write_variable", "7 22")), "Запись переменной 7 = 22"},
        {exchange_request_title(request("read_variables", "")), "Чтение переменных"},
        {exchange_request_title(request("read_module_parameter", "120")),
         "Чтение параметра модуля 120"},
        {exchange_request_title(request("x_future_request", "5 6")), "x_future_request 5 6"},
        {exchange_request_kind("read_module_parameter") + '|' + exchange_request_kind("x_new"),
         "Чтение параметра модуля|x_new"},
    };
    for (const auto& [got, expected] : rows) {
        EXPECT_EQ(expected, got);
    }
}

// Every request the protocol and the serial link name has its words, each
// parameter put in, and no two kinds read alike (the monitor filters by them).
TEST(ExchangeText, EveryRequestNamedInTheSourcesHasItsWords) {
    std::set<std::string> named;
    const std::regex scope(R"re((OperationScope|SerialCommand) \w+\([^,]+, "(\w+)")re");
    for (const char* folder : {"/protocol", "/serial"}) {
        for (const auto& file :
             std::filesystem::directory_iterator(VX_SOURCE_DIR + std::string(folder))) {
            std::ifstream in(file.path());
            const std::string source{std::istreambuf_iterator<char>(in), {}};
            for (std::sregex_iterator m(source.begin(), source.end(), scope), end; m != end; ++m) {
                named.insert((*m)[2]);
            }
        }
    }
    ASSERT_GT(named.size(), 40u) << "the request names were not found in the sources";
    std::set<std::string> listed;
    std::set<std::string> kinds;
    for (const RequestWords& words : request_words()) {
        listed.insert(words.name);
        EXPECT_TRUE(kinds.insert(words.kind).second) << words.kind;
        const std::string title = exchange_request_title(request(words.name, "11 22 33 44"));
        EXPECT_EQ(std::string::npos, title.find_first_of("{}_")) << title;
        EXPECT_NE(words.name, title);
        // A parameter the text names appears in the title, one it skips does not.
        for (const char* parameter : {"11", "22", "33", "44"}) {
            const bool used =
                std::string(words.text).find({'{', parameter[0], '}'}) != std::string::npos;
            EXPECT_EQ(used, title.find(parameter) != std::string::npos) << title;
        }
    }
    named.insert("exchange");  // bytes sent outside any request
    EXPECT_EQ(named, listed);
}

}  // namespace
}  // namespace vx::test
