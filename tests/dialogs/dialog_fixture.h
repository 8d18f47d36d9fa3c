// The dialogs against a scripted fake controller: the context alone, or every
// window as the program creates them.
#pragma once

#include <filesystem>
#include <string_view>

#include <gtest/gtest.h>

#include <QString>

#include "support/ui/window_fixture.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"
#include "tests/support/temp_dir.h"

namespace vx::test {

// The context connected to the fake, no main window: for the dialogs that talk
// to the controller service only.
class ControllerDialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        open_context(fake_.port(), true);
        ASSERT_TRUE(fake_.wait_connected());
    }
    void TearDown() override {
        fake_.verify();
        WindowTest::TearDown();
    }

    FakeController fake_;
};

// Every window created as the program creates them, the main window connected
// to the fake; properties.ini in a fresh folder, naming a serial device that
// does not exist unless the test writes its own file first.
class ConfiguratorWindows : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(fake.listening());
        if (!std::filesystem::exists(settings_file())) {
            name_serial_device(dir_.file("no-such-tty").string());
        }
        create_all_windows(fake.port());
        ASSERT_TRUE(fake.wait_connected());
        ASSERT_TRUE(prompts_.records().empty()) << prompts_.texts().join(" | ").toStdString();
    }

    void TearDown() override {
        close_windows();
        fake.verify();
    }

    std::filesystem::path settings_file() const { return dir_.file("properties.ini"); }

    FakeController fake;
};

}  // namespace vx::test
