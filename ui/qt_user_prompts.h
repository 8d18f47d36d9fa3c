// UserPrompts shown with Qt's own boxes and dialogs.
#pragma once

#include <QPointer>

class QSettings;

#include "ui/user_prompts.h"

namespace vx::ui {

class QtUserPrompts final : public UserPrompts {
public:
    // Boxes are parented to the active window, or to parent when none is active.
    explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }
    // File dialogs whose caller names no folder start where the user last
    // chose a file of the same kind; settings keeps it across runs.
    void set_folder_memory(QSettings* settings) { folders_ = settings; }

    void message(PromptIcon icon, const QString& caption, const QString& text) override;
    bool ask_yes_no(PromptIcon icon, const QString& caption, const QString& text) override;
    Answer ask_yes_no_cancel(PromptIcon icon, const QString& caption, const QString& text) override;
    std::optional<QString> open_file(const FileDialogRequest& request) override;
    std::optional<QString> save_file(const FileDialogRequest& request) override;
    std::optional<QFont> choose_font(const QFont& current) override;
    std::optional<QList<bool>> choose_items(const CheckListRequest& request) override;
    std::optional<QString> ask_input(const InputRequest& request) override;
    bool choose_printer(QPrinter& printer) override;
    bool open_with_desktop(const QUrl& url) override;

private:
    QWidget* owner() const;
    std::optional<QString> run_file_dialog(const FileDialogRequest& request, bool save);
    QPointer<QWidget> parent_;
    QSettings* folders_ = nullptr;
};

}  // namespace vx::ui
