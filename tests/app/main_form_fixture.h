// A main window under test: scripted prompts, its own program directory and
// settings file, and the controller port of the test's choosing.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/Root.h"
#include "app/panel_status_bar.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "tests/support/reserved_port.h"

namespace vx::test {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui_app();
        ASSERT_TRUE(dir_.isValid());
        options_.program_dir = dir_.path();
        options_.settings_path = dir_.filePath("properties.ini");
    }
    void TearDown() override { form_.reset(); }

    void write_settings(const QByteArray& text) {
        QFile file(options_.settings_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Creates the window (FormCreate runs) on the given port.
    ui::Tmain_form& create(uint16_t port) {
        options_.port = port;
        form_ = std::make_unique<ui::Tmain_form>(prompts_, options_);
        return *form_;
    }
    // Shows it and lets the first showing (FormShow) run.
    void show() {
        form_->show();
        settle_events();
    }
    QString panel(int index) const { return form_->sb->panel_text(index); }

    ReservedPort no_controller_;  // connections to it are refused
    QTemporaryDir dir_;
    ui::MainFormOptions options_;
    ScriptedPrompts prompts_;
    std::unique_ptr<ui::Tmain_form> form_;
};

}  // namespace vx::test
