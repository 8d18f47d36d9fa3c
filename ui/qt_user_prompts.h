// UserPrompts shown with Qt's own boxes and dialogs.
#pragma once

#include <QPointer>

#include "ui/user_prompts.h"

namespace vx::ui {

class QtUserPrompts final : public UserPrompts {
public:
    // Boxes are parented to the active window, or to parent when none is active.
    explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void message(PromptIcon icon, const QString& caption, const QString& text) override;
    bool ask_yes_no(PromptIcon icon, const QString& caption, const QString& text) override;
    Answer ask_yes_no_cancel(PromptIcon icon, const QString& caption, const QString& text) override;
    std::optional<QString> open_file(const FileDialogRequest& request) override;
    std::optional<QString> save_file(const FileDialogRequest& request) override;
    std::optional<QFont> choose_font(const QFont& current) override;
    std::optional<QList<bool>> choose_items(const CheckListRequest& request) override;
    bool choose_printer(QPrinter& printer) override;
    bool open_with_desktop(const QUrl& url) override;

private:
    QWidget* owner() const;
    QPointer<QWidget> parent_;
};

}  // namespace vx::ui
