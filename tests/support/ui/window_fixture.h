// The one base of the GUI tests: a temporary program folder with its settings
// file, scripted prompts, and the windows over a controller port (the fake
// controller's or the simulator's), built the way the program builds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>

#include "app/Root.h"
#include "app/forms.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "tests/support/temp_dir.h"
#include "ui/panel_status_bar.h"
#include "ui/window_context.h"

namespace vx::test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { gui_app(); }
    void TearDown() override { close_windows(); }

    // A file in the program folder; the file need not exist.
    QString path(std::string_view name) const {
        return QString::fromStdString(dir_.file(name).string());
    }
    // What the next context reads as its settings.
    void write_settings(const QByteArray& text) {
        dir_.write("properties.ini", std::string_view(text.constData(), text.size()));
    }
    // Settings that name device (a path) as the serial port.
    void name_serial_device(const std::string& device) {
        write_settings(QByteArray::fromStdString("[AutoLoad]\nComPortDevice=" + device + "\n"));
    }
    ui::ContextOptions options(uint16_t port) const {
        ui::ContextOptions options;
        options.port = port;
        options.program_dir = path("");
        options.settings_path = path("properties.ini");
        return options;
    }

    // The context alone, for a dialog built without a main window; connected
    // to the controller on port when connect is true.
    ui::WindowContext& open_context(uint16_t port, bool connect = false) {
        context_ = std::make_unique<ui::WindowContext>(prompts_, options(port));
        if (connect) {
            vx::connect_to_service(context_->connection(), port);
        }
        return *context_;
    }
    // The main window over a new context: its creation connects and opens the serial port.
    ui::Tmain_form& create_main_window(uint16_t port) {
        open_context(port);
        main_ = std::make_unique<ui::Tmain_form>(*context_);
        return *main_;
    }
    // Shows the main window and lets its first showing (FormShow) run.
    void show() {
        main_->show();
        settle_events();
    }
    QString panel(int index) const { return main_->sb->panel_text(index); }
    // Every window, as the program creates them (ui::main_form and the rest).
    void create_all_windows(uint16_t port) {
        open_context(port);
        ui::create_forms(*context_);
        all_windows_ = true;
    }
    // As the program ends: the windows in reverse order, then the context.
    void close_windows() {
        if (all_windows_) {
            ui::destroy_forms();
            all_windows_ = false;
        }
        main_.reset();
        context_.reset();
    }

    TempDir dir_;
    ScriptedPrompts prompts_;
    std::unique_ptr<ui::WindowContext> context_;
    std::unique_ptr<ui::Tmain_form> main_;

private:
    bool all_windows_ = false;
};

}  // namespace vx::test
