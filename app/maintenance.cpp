// The two transfers of the main window with their progress texts and messages.
#include "app/maintenance.h"

#include <memory>

#include <QFile>

#include "commissioning/controller_texts.h"
#include "protocol/Socket_func.h"
#include "serial/file_image.h"
#include "ui/user_prompts.h"

namespace vx::ui {

namespace {

namespace texts = vx::commissioning;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const QString kFileNotRead = text(texts::kFileNotReadText);
const QString kInternalError = text(texts::kInternalErrorText);

struct ImageDeleter {
    void operator()(vx::FileImage* image) const { vx::free_file_image(image); }
};
using Image = std::unique_ptr<vx::FileImage, ImageDeleter>;

Image load(const QString& path) {
    return Image(vx::load_file_image(QFile::encodeName(path).toStdString()));
}

QString program_verdict(int rc) {
    return text(texts::program_verdict_text(rc));
}

QString firmware_verdict(int rc) {
    return text(texts::firmware_verdict_text(rc));  // 0: the reboot notice follows anyway
}

}  // namespace

TransferOutcome send_program_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                  TransferView& view, const QString& path, bool reset) {
    Image image = load(path);
    if (image->size < 0) {
        prompts.information(kFileNotRead);
        return TransferOutcome::file_not_read;
    }
    if (vx::transfer_begin(connection, *image, vx::kTransferProgram) != 0) {
        prompts.information(text(texts::kProgramBeginFailedText));
        return TransferOutcome::begin_failed;
    }
    view.show_transfer_progress(0, image->size);
    while (image->position < image->size) {
        if (vx::transfer_chunk(connection, *image, vx::kTransferProgram) != 0) {
            view.show_transfer_progress(0, -1);
            prompts.information(text(texts::kProgramPacketFailedText));
            return TransferOutcome::packet_failed;
        }
        view.show_transfer_status(QStringLiteral("%1 / %2").arg(image->position).arg(image->size));
        view.show_transfer_progress(image->position, image->size);
        if (view.process_events_until_stop()) {
            view.show_transfer_progress(0, -1);
            return TransferOutcome::stopped;
        }
    }
    image.reset();
    const int rc = vx::transfer_end(connection, vx::kTransferProgram);
    if (rc == 0 && reset) {
        vx::reset_timers_and_variables(connection);  // its result is not shown
    }
    if (rc < 0) {
        prompts.information(kInternalError);
    }
    view.show_transfer_status(QString());
    view.show_transfer_progress(0, -1);
    if (const QString verdict = program_verdict(rc); !verdict.isEmpty()) {
        prompts.information(verdict);
    }
    return TransferOutcome::finished;
}

TransferOutcome send_firmware_file(vx::ControllerConnection& connection, UserPrompts& prompts,
                                   TransferView& view, const QString& path) {
    Image image = load(path);
    if (image->size < 0) {
        prompts.information(kFileNotRead);
        return TransferOutcome::file_not_read;
    }
    if (vx::transfer_begin(connection, *image, vx::kTransferFirmware) != 0) {
        prompts.information(text(texts::kFirmwareBeginFailedText));
        return TransferOutcome::begin_failed;
    }
    const int size_kb = image->size / 1024;
    view.show_transfer_status(QStringLiteral("Идет загрузка обновления (%1K.)").arg(size_kb));
    view.show_transfer_progress(0, image->size);
    while (image->position < image->size) {
        if (vx::transfer_chunk(connection, *image, vx::kTransferFirmware) != 0) {
            view.show_transfer_progress(0, -1);
            prompts.information(text(texts::kFirmwarePacketFailedText));
            return TransferOutcome::packet_failed;
        }
        // Once per whole kilobyte; the last part of a file whose size is not a
        // multiple of 1024 leaves the text as it was.
        if (image->position % 1024 == 0) {
            view.show_transfer_status(
                QStringLiteral("%1K / %2K").arg(image->position / 1024).arg(size_kb));
        }
        view.show_transfer_progress(image->position, image->size);
        if (view.process_events_until_stop()) {
            view.show_transfer_progress(0, -1);
            return TransferOutcome::stopped;
        }
    }
    image.reset();
    const int rc = vx::transfer_end(connection, vx::kTransferFirmware);
    if (rc < 0) {
        prompts.information(kInternalError);
    }
    view.show_transfer_status(QString());
    view.show_transfer_progress(0, -1);
    if (const QString verdict = firmware_verdict(rc); !verdict.isEmpty()) {
        prompts.information(verdict);
    }
    prompts.message(PromptIcon::none, kCaptionInformation,
                    text(texts::kFirmwareRebootText) + text(texts::kReconnectSentence));
    vx::reboot_controller_nocheck(connection);  // its result is not shown
    return TransferOutcome::finished;
}

}  // namespace vx::ui
