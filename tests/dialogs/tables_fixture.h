// A dialog under test: the main window (which owns the connection, the serial
// port and the prompts) on a scripted fake controller, and request bytes with
// their checksum written the way the protocol writes them.
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

// Options of a main window on the controller port given, with a settings file
// in dir that names serial_device as its serial port.
inline ui::MainFormOptions main_form_options(const QTemporaryDir& dir, uint16_t port,
                                             const QString& serial_device) {
    ui::MainFormOptions options;
    options.port = port;
    options.program_dir = dir.path();
    options.settings_path = dir.filePath("properties.ini");
    QFile settings(options.settings_path);
    if (!settings.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write " << options.settings_path.toStdString();
    }
    settings.write("[AutoLoad]\nComPortDevice=" + serial_device.toUtf8() + "\n");
    return options;
}

class TableDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui_app();
        ASSERT_TRUE(dir_.isValid());
        // No serial port: these dialogs talk to the controller service only.
        main_ = std::make_unique<ui::Tmain_form>(
            prompts_, main_form_options(dir_, fake_.port(), dir_.filePath("no-such-port")));
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
