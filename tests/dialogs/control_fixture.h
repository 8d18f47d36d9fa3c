// The configurator's windows against a scripted fake controller, for the
// module control and small tool dialogs' tests.
#pragma once

#include <filesystem>
#include <string_view>

#include <gtest/gtest.h>

#include <QString>

#include "app/Root.h"
#include "app/forms.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"
#include "tests/support/temp_dir.h"

namespace vx::test {

// Bytes 0 to 6 of a request and the checksum the controller expects after
// them: the low 8 bits of their sum.
inline Bytes packet(std::string_view hex7) {
    Bytes b = bytes(hex7);
    unsigned sum = 0;
    for (uint8_t byte : b) {
        sum += byte;
    }
    b.push_back(static_cast<uint8_t>(sum));
    return b;
}

// Every window created as the program creates them, the main window connected
// to the fake; properties.ini in a fresh folder, naming a serial device that
// does not exist unless the test writes its own file first.
class ConfiguratorWindows : public ::testing::Test {
protected:
    void SetUp() override {
        gui_app();
        ASSERT_TRUE(fake.listening());
        if (!std::filesystem::exists(settings_file())) {
            dir.write("properties.ini",
                      "[AutoLoad]\nComPortDevice=" + dir.file("no-such-tty").string() + "\n");
        }
        ui::MainFormOptions options;
        options.port = fake.port();
        options.program_dir = QString::fromStdString(dir.path().string());
        options.settings_path = QString::fromStdString(settings_file().string());
        ui::create_forms(prompts, options);
        ASSERT_TRUE(fake.wait_connected());
        ASSERT_TRUE(prompts.records().empty()) << prompts.texts().join(" | ").toStdString();
    }

    void TearDown() override {
        ui::destroy_forms();
        fake.verify();
    }

    std::filesystem::path settings_file() const { return dir.file("properties.ini"); }

    TempDir dir;
    FakeController fake;
    ScriptedPrompts prompts;
};

}  // namespace vx::test
