// Program and firmware loads from files, with the compile of a source before it.
#include "commissioning/file_transfer.h"

#include <memory>

#include "commissioning/controller_texts.h"
#include "compiler/compile_program.h"
#include "files/file_image.h"

namespace vx::commissioning {

namespace {

struct ImageDeleter {
    void operator()(files::FileImage* image) const { files::free_file_image(image); }
};
using Image = std::unique_ptr<files::FileImage, ImageDeleter>;

Image load(const std::filesystem::path& path) {
    return Image(files::load_file_image(path.string()));
}

// Where a transfer of the image ends before its first packet; finished when it can go on.
TransferStage refusal_of(const files::FileImage& image) {
    if (image.size < 0) {
        return TransferStage::file_not_read;
    }
    return image.size == 0 ? TransferStage::file_empty : TransferStage::finished;
}

}  // namespace

TransferResult send_file(ControllerConnection& c, const std::filesystem::path& path, int kind,
                         const TransferProgress& progress, const TransferStarted& started) {
    Image image = load(path);
    if (const TransferStage refused = refusal_of(*image); refused != TransferStage::finished) {
        return {refused, 0};
    }
    if (transfer_begin(c, *image, kind) != 0) {
        return {TransferStage::begin_failed, 0};
    }
    if (started) {
        started(image->size);
    }
    while (image->position < image->size) {
        if (transfer_chunk(c, *image, kind) != 0) {
            return {TransferStage::packet_failed, 0};
        }
        if (progress && !progress(image->position, image->size)) {
            return {TransferStage::stopped, 0};
        }
    }
    image.reset();  // the whole file need not stay in memory while the controller decides
    return {TransferStage::finished, transfer_end(c, kind)};
}

std::string transfer_file_refusal(const std::filesystem::path& path) {
    const TransferStage refused = refusal_of(*load(path));
    return refused == TransferStage::finished ? std::string()
                                              : transfer_result_text(kTransferProgram, {refused});
}

std::string transfer_result_text(int kind, const TransferResult& result) {
    const bool program = kind == kTransferProgram;
    switch (result.stage) {
        case TransferStage::file_not_read:
            return kFileNotReadText;
        case TransferStage::file_empty:
            return kFileEmptyText;
        case TransferStage::begin_failed:
            return program ? kProgramBeginFailedText : kFirmwareBeginFailedText;
        case TransferStage::packet_failed:
            return program ? kProgramPacketFailedText : kFirmwarePacketFailedText;
        case TransferStage::stopped:
            return {};
        case TransferStage::finished:
            break;
    }
    std::string text = result.code < 0 ? kInternalErrorText : "";
    std::string verdict =
        program ? program_verdict_text(result.code) : firmware_verdict_text(result.code);
    if (!program && result.code == 0) {
        verdict = kFirmwareLoadedText;
    }
    if (!verdict.empty()) {
        text += (text.empty() ? "" : "\n") + verdict;
    }
    return text;
}

bool is_program_source(const std::filesystem::path& path) {
    return path.extension() == ".prg";
}

std::string compile_for_load(const std::filesystem::path& source_path,
                             std::filesystem::path& compiled_path) {
    const std::string source = source_path.string();
    CompileError error;
    const int result = compile_program(source, error);
    if (result == kCompiled) {
        compiled_path = compiled_file_path(source);
        return {};
    }
    // The same line as vxc's, so that an editor jumps to it alike.
    return source + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) +
           ": error: " + compile_failure_message(result, error, source);
}

}  // namespace vx::commissioning
