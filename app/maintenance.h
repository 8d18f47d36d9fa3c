// Program and firmware loads into the controller, after the user has chosen
// the file and answered the questions: transfer, progress, verdict, messages.
#pragma once

#include <QString>

#include "commissioning/file_transfer.h"

namespace vx::ui {

class UserPrompts;

// What a transfer needs of the window that runs it.
class TransferView {
public:
    virtual ~TransferView() = default;
    // Status panel 5.
    virtual void show_transfer_status(const QString& text) = 0;
    // The progress bar; a negative size hides it.
    virtual void show_transfer_progress(int position, int size) = 0;
    // Lets the GUI process pending events; true when the transfer must end at
    // once because the window is closing.
    virtual bool process_events_until_stop() = 0;
};

// How a transfer ended; stopped: the window closed, nothing more sent, nothing shown.
using TransferOutcome = vx::commissioning::TransferStage;

// A file that can't be read whole or is empty gets its box at once, before any question
// or request; true when it was refused so.
bool refuse_unsendable_file(UserPrompts& prompts, const QString& path);

// Sends a compiled program file; with reset, the timers and variables are
// reset when the controller accepted the program.
TransferOutcome send_program_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                  TransferView& view, const QString& path, bool reset);
// Sends a firmware update file, then asks the controller to reboot.
TransferOutcome send_firmware_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                   TransferView& view, const QString& path);

}  // namespace vx::ui
