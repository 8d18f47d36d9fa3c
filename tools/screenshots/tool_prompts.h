// User prompts for the picture and probe tools: every box is printed on
// standard error instead of shown, so nothing waits for a click.
#pragma once

#include <cstdio>
#include <optional>
#include <utility>

#include <QFont>
#include <QString>

#include "ui/user_prompts.h"

namespace vx::tools {

class PrintingPrompts final : public vx::ui::UserPrompts {
public:
    // file: the answer to every file dialog (empty: each is cancelled).
    explicit PrintingPrompts(QString file = {}) : file_(std::move(file)) {}

    void message(vx::ui::PromptIcon, const QString& caption, const QString& text) override {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(caption), qPrintable(text));
        ++boxes_;
    }
    bool ask_yes_no(vx::ui::PromptIcon icon, const QString& caption, const QString& text) override {
        message(icon, caption, text);
        return false;
    }
    std::optional<QString> open_file(const vx::ui::FileDialogRequest&) override { return answer(); }
    std::optional<QString> save_file(const vx::ui::FileDialogRequest&) override { return answer(); }
    std::optional<QFont> choose_font(const QFont&) override { return std::nullopt; }
    std::optional<QList<bool>> choose_items(const vx::ui::CheckListRequest& request) override {
        return request.checked;  // as proposed, as a user who just accepts would
    }
    // As proposed, as a user who just accepts would.
    std::optional<QString> ask_input(const vx::ui::InputRequest& request) override {
        return request.text;
    }
    bool choose_printer(QPrinter&) override { return false; }
    bool open_with_desktop(const QUrl&) override { return false; }

    int boxes() const { return boxes_; }

private:
    std::optional<QString> answer() const {
        if (file_.isEmpty()) {
            return std::nullopt;
        }
        return file_;
    }
    QString file_;
    int boxes_ = 0;
};

}  // namespace vx::tools
