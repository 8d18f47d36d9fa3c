// The two transfers of the main window: the commissioning transfer with its progress
// in the window, and its outcome as message boxes.
#include "app/maintenance.h"

#include <filesystem>
#include <string>

#include <QFile>

#include "commissioning/controller_texts.h"
#include "protocol/Socket_func.h"
#include "ui/user_prompts.h"

namespace vx::ui {

namespace {

namespace cm = vx::commissioning;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::filesystem::path local_path(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Sends the file with its progress texts and bar, letting the window process events
// after every packet. A transfer that ended before the closing packet says why.
cm::TransferResult transfer(vx::ControllerConnection& connection, UserPrompts& prompts,
                            TransferView& view, const QString& path, int kind) {
    const bool program = kind == vx::kTransferProgram;
    const auto started = [&](int size) {
        if (!program) {
            view.show_transfer_status(
                QStringLiteral("Идет загрузка обновления (%1K.)").arg(size / 1024));
        }
        view.show_transfer_progress(0, size);
    };
    const auto sent = [&](int position, int size) {
        if (program) {
            view.show_transfer_status(QStringLiteral("%1 / %2").arg(position).arg(size));
        } else if (position % 1024 == 0) {
            // Once per whole kilobyte; the last part of a file whose size is not a
            // multiple of 1024 leaves the text as it was.
            view.show_transfer_status(
                QStringLiteral("%1K / %2K").arg(position / 1024).arg(size / 1024));
        }
        view.show_transfer_progress(position, size);
        return !view.process_events_until_stop();
    };
    const cm::TransferResult result =
        cm::send_file(connection, local_path(path), kind, sent, started);
    if (result.stage == cm::TransferStage::packet_failed ||
        result.stage == cm::TransferStage::stopped) {
        view.show_transfer_progress(0, -1);
    }
    if (result.stage != cm::TransferStage::finished) {
        if (const QString message = text(cm::transfer_result_text(kind, result));
            !message.isEmpty()) {
            prompts.information(message);
        }
    }
    return result;
}

// The closing packet's verdict: the internal error first, then the cleared status
// and bar, then the verdict's own text if it has one.
void show_verdict(UserPrompts& prompts, TransferView& view, int code, const char* verdict) {
    if (code < 0) {
        prompts.information(text(cm::kInternalErrorText));
    }
    view.show_transfer_status(QString());
    view.show_transfer_progress(0, -1);
    if (*verdict != '\0') {
        prompts.information(text(verdict));
    }
}

}  // namespace

bool refuse_unsendable_file(UserPrompts& prompts, const QString& path) {
    const std::string refusal = cm::transfer_file_refusal(local_path(path));
    if (!refusal.empty()) {
        prompts.information(text(refusal));
    }
    return !refusal.empty();
}

TransferOutcome send_program_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                  TransferView& view, const QString& path, bool reset) {
    const cm::TransferResult result =
        transfer(connection, prompts, view, path, vx::kTransferProgram);
    if (result.stage != TransferOutcome::finished) {
        return result.stage;
    }
    if (result.code == 0 && reset) {
        vx::reset_timers_and_variables(connection);  // its result is not shown
    }
    show_verdict(prompts, view, result.code, cm::program_verdict_text(result.code));
    return result.stage;
}

TransferOutcome send_firmware_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                   TransferView& view, const QString& path) {
    const cm::TransferResult result =
        transfer(connection, prompts, view, path, vx::kTransferFirmware);
    if (result.stage != TransferOutcome::finished) {
        return result.stage;
    }
    // 0 has no text here: the reboot notice follows whatever the verdict.
    show_verdict(prompts, view, result.code, cm::firmware_verdict_text(result.code));
    prompts.message(PromptIcon::none, kCaptionInformation,
                    text(std::string(cm::kFirmwareRebootText) + cm::kReconnectSentence));
    vx::reboot_controller_nocheck(connection);  // its result is not shown
    return result.stage;
}

}  // namespace vx::ui
