// House files, the built-in house, and the state file kept across runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "raw_client.h"
#include "sim/house_file.h"
#include "sim/state_file.h"

namespace vx::sim::test {
namespace {

namespace fs = std::filesystem;

TEST(DefaultHouse, IsTheExampleFileAndHoldsAVariedHouse) {
    std::ifstream example(VX_SOURCE_DIR "/sim/house.example.json");
    ASSERT_TRUE(example);
    const std::string text((std::istreambuf_iterator<char>(example)), {});
    EXPECT_EQ(text, default_house_text());

    ControllerState state;
    load_default_house(state);
    EXPECT_EQ(13, state.registered_count());
    std::set<ModuleKind> kinds;
    int inactive = 0;
    for (const Module& m : state.modules()) {
        if (!m.address)
            continue;
        kinds.insert(m.kind());
        inactive += !m.active;
    }
    EXPECT_EQ(6u, kinds.size());  // every kind of module
    EXPECT_EQ(1, inactive);
    EXPECT_FALSE(state.module_at(57)->active);
    EXPECT_EQ(nullptr, state.module_at(77));  // set by hand to 77, not registered
    EXPECT_EQ(2u, state.modules().size() - 13);
    EXPECT_EQ(2u, state.modbus_devices().size());
    EXPECT_EQ(22, state.variable(1));
    EXPECT_EQ(2, state.version_major());
    EXPECT_EQ(15, state.version_minor());
    EXPECT_TRUE(state.service(kServiceBusPolling));
}

TEST(HouseFile, ReportsWhereAndWhatIsWrong) {
    struct Row {
        const char* json;
        const char* error;
    };
    const Row rows[] = {
        {"{", "not valid JSON: "},
        {"[]", "expected an object"},
        {R"({"modulez": []})", "unknown key \"modulez\""},
        {R"({"modules": [{"type": 30}]})", "modules[0]: \"address\" is missing"},
        {R"({"modules": [{"address": 200, "type": 30}]})",
         "modules[0].address: 200 is out of range (1 to 128)"},
        {R"({"modules": [{"address": 1, "type": 30}, {"address": 1, "type": 12}]})",
         "modules[1].address: address 1 is used twice"},
        {R"({"modules": [{"address": 1, "type": 254}]})", "modules[0].type: 254 marks an empty"},
        {R"({"modules": [{"address": 1, "type": 12, "outputs": 1}]})",
         "modules[0].outputs: a module of type 12 (inputs) has no outputs"},
        {R"({"modules": [{"address": 1, "type": 37, "thermostat": {"mode": "hot"}}]})",
         "modules[0].thermostat.mode: expected \"heating\", \"cooling\" or \"valve\""},
        {R"({"modules": [{"address": 1, "type": 30, "parameters": {"2": 5}}]})",
         "modules[0].parameters: \"2\" is not an index 4 to 255"},
        {R"({"modules": [{"address": 1, "type": 30, "inputs": 256}]})",
         "modules[0].inputs: 256 is out of range (0 to 255)"},
        {R"({"unaddressed": [{"address": 3, "type": 30}]})",
         "unaddressed[0].address: an unaddressed module has no address"},
        {R"({"modbus": [{"number": 0}]})", "modbus[0].number: 0 is out of range (1 to 255)"},
        {R"({"modbus": [{"number": 4}, {"number": 4}]})",
         "modbus[1].number: device 4 is listed twice"},
        {R"({"modbus": [{"number": 4, "coils": [2]}]})", "modbus[0].coils[0]: 2 is out of range"},
        {R"({"variables": {"1024": 1}})", "variables: \"1024\" is not an index 0 to 1023"},
        {R"({"variables": {"5": -1}})", "variables.5: -1 is out of range (0 to 65535)"},
        {R"({"controller": {"version": "2.x"}})", "controller.version: \"2.x\" is not a version"},
        {R"({"controller": {"cycle_delay": 6}})", "controller.cycle_delay: 6 is out of range"},
        {R"({"x10": {"all_units_off": ["Q1"]}})",
         "x10.all_units_off[0]: \"Q1\" is not an X10 address A1 to P16"},
        {R"({"poll_frequencies": {"0": 5}})", "poll_frequencies: \"0\" is not an index 1 to 128"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        ControllerState state;
        const std::string error = load_house_text(row.json, state);
        EXPECT_NE(std::string::npos, error.find(row.error)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n'));
    }
}

TEST(HouseFile, NamesTheFileInItsErrors) {
    ControllerState state;
    EXPECT_EQ("/nonexistent/house.json: cannot be opened",
              load_house_file("/nonexistent/house.json", state));
}

// A state that differs from the built-in house in every part a state file keeps.
ControllerState changed_state() {
    ControllerState state;
    load_default_house(state);
    state.set_variable(1023, 7);
    state.set_start_value(3, 33);
    state.set_poll_frequency(128, 99);
    state.set_service(kServiceMysql, true);
    state.set_x10_entry(2, 15, 15, true);
    state.commit_settings();
    state.set_service(kServiceProgram, false);  // running, not committed
    state.clock().set_offset_seconds(-86400);
    state.set_cycle_delay(5);
    state.write_parameter(1, 200, 17);
    state.discrete_outputs(3, 2, 0x5A);
    state.analog_output(17, 1, 33);
    uint16_t word = 0;
    state.thermostat_command(120, 0, 0xC0, word);
    state.voice_command(23, 12, 1);
    state.modbus_write_register(17, 4, 1234);
    state.modbus_write_coil(17, 1, true);
    state.set_service(kServiceBusPolling, false);
    state.start_addressing();
    state.register_new_module(77);
    state.register_new_module(5);
    state.set_program(program_file(sample_program()));
    return state;
}

TEST(StateJson, ReadsBackToTheSameState) {
    const ControllerState state = changed_state();
    const std::string text = state_json_text(state);
    ControllerState read;
    StateExtras extras;
    ASSERT_EQ("", load_house_text(text, read, &extras));
    EXPECT_TRUE(read.program().empty());  // kept beside a state file, not in it
    read.set_program(state.program());
    EXPECT_EQ(text, state_json_text(read));
    EXPECT_EQ(7, read.variable(1023));
    EXPECT_FALSE(read.service(kServiceProgram));
    EXPECT_TRUE(read.committed().services[kServiceProgram]);
    EXPECT_EQ(-86400, read.clock().offset_seconds());
    EXPECT_EQ(17, read.module_at(77)->type);
    EXPECT_EQ(30, read.module_at(5)->type);      // the module of address 1 came back at 5
    EXPECT_EQ(0x5A, read.modules()[2].outputs);  // the one of address 3 still waits
    EXPECT_TRUE(extras.program.present);
    EXPECT_EQ(state.program().size(), extras.program.size);
}

class StateStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vx-sim-state-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "state.json").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
    std::string path_;
};

TEST_F(StateStoreTest, SavesAtomicallyAndLoadsWithTheUploads) {
    StateStore store(path_);
    EXPECT_EQ("", store.check_usable());
    ControllerState empty;
    std::string message;
    EXPECT_EQ(StateStore::Load::missing, store.load(empty, message));

    const ControllerState state = changed_state();
    std::string error;
    ASSERT_TRUE(store.save(state, error)) << error;
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    EXPECT_EQ(state.program().size(), fs::file_size(path_ + ".program"));
    EXPECT_FALSE(fs::exists(path_ + ".firmware"));

    ControllerState loaded;
    ASSERT_EQ(StateStore::Load::loaded, StateStore(path_).load(loaded, message));
    EXPECT_EQ("", message);
    EXPECT_EQ(state.program(), loaded.program());
    EXPECT_EQ(state_json_text(state), state_json_text(loaded));
}

TEST_F(StateStoreTest, MovesADamagedFileAsideAndKeepsTheState) {
    std::ofstream(path_) << "{\"variables\": {\"1\": 5}, \"modules\": [{\"address\": 1";
    ControllerState state;
    load_default_house(state);
    const std::string before = state_json_text(state);
    std::string message;
    EXPECT_EQ(StateStore::Load::damaged, StateStore(path_).load(state, message));
    EXPECT_NE(std::string::npos, message.find("is damaged (not valid JSON: ")) << message;
    EXPECT_NE(std::string::npos, message.find("kept as " + path_ + ".damaged")) << message;
    EXPECT_TRUE(fs::exists(path_ + ".damaged"));
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(before, state_json_text(state));
}

TEST_F(StateStoreTest, DoesNotRestoreAnUploadThatChangedBesideIt) {
    StateStore store(path_);
    std::string error;
    ASSERT_TRUE(store.save(changed_state(), error)) << error;
    std::fstream program(path_ + ".program", std::ios::in | std::ios::out | std::ios::binary);
    program.seekp(10);
    program.put('\x7F');
    program.close();
    ControllerState loaded;
    std::string message;
    ASSERT_EQ(StateStore::Load::loaded, StateStore(path_).load(loaded, message));
    EXPECT_NE(std::string::npos, message.find("the uploaded program kept beside it")) << message;
    EXPECT_TRUE(loaded.program().empty());
    EXPECT_EQ(7, loaded.variable(1023));
}

TEST_F(StateStoreTest, SaysWhenTheFileCannotBeKeptThere) {
    EXPECT_NE(
        std::string::npos,
        StateStore((dir_ / "missing" / "s.json").string()).check_usable().find("does not exist"));
    fs::create_directories(dir_ / "d.json");
    EXPECT_NE(std::string::npos,
              StateStore((dir_ / "d.json").string()).check_usable().find("not a regular file"));
}

}  // namespace
}  // namespace vx::sim::test
