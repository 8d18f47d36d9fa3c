// A table dialog under test: the main window (which owns the connection and
// the prompts) on a scripted fake controller, and request bytes with their
// checksum written the way the protocol writes them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string_view>

#include <QFile>
#include <QTemporaryDir>

#include "app/Root.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"

namespace vx::test {

// The 7 bytes given, then their checksum: the low 8 bits of their sum.
inline Bytes packet(Bytes first_seven) {
    first_seven.push_back(
        static_cast<uint8_t>(std::accumulate(first_seven.begin(), first_seven.end(), 0u)));
    return first_seven;
}
inline Bytes packet(std::string_view first_seven) {
    return packet(bytes(first_seven));
}

class TableDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui_app();
        ASSERT_TRUE(dir_.isValid());
        ui::MainFormOptions options;
        options.port = fake_.port();
        options.program_dir = dir_.path();
        options.settings_path = dir_.filePath("properties.ini");
        // No serial port: these dialogs talk to the controller service only.
        QFile settings(options.settings_path);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[AutoLoad]\nComPortDevice=" + dir_.filePath("no-such-port").toUtf8() +
                       "\n");
        settings.close();
        main_ = std::make_unique<ui::Tmain_form>(prompts_, options);
        ASSERT_TRUE(fake_.wait_connected());
        prompts_.clear_records();
    }
    void TearDown() override {
        fake_.verify();
        main_.reset();
    }

    FakeController fake_;
    QTemporaryDir dir_;
    ScriptedPrompts prompts_;
    std::unique_ptr<ui::Tmain_form> main_;
};

}  // namespace vx::test
