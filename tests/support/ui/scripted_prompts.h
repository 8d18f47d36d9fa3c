// UserPrompts for tests: answers are queued beforehand, every prompt is recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QFont>
#include <QStringList>
#include <QUrl>

#include "ui/user_prompts.h"

namespace vx::test {

using ui::Answer;
using ui::CheckListRequest;
using ui::FileDialogRequest;
using ui::InputRequest;
using ui::PromptIcon;

enum class PromptKind {
    message,
    question,
    open_file,
    save_file,
    font,
    printer,
    desktop,
    check_list,
    input
};

struct RecordedPrompt {
    PromptKind kind = PromptKind::message;
    PromptIcon icon = PromptIcon::none;
    QString caption;
    QString text;
    FileDialogRequest file_request;  // file dialogs
    QUrl url;                        // desktop openings
    CheckListRequest check_list;     // check lists
    InputRequest input;              // input boxes (text: their label)
};

class ScriptedPrompts final : public ui::UserPrompts {
public:
    // Answers to questions, taken in order. A question without a queued
    // answer fails the test and is answered No.
    ScriptedPrompts& answer_yes() { return queue_answer(true); }
    ScriptedPrompts& answer_no() { return queue_answer(false); }
    // Cancel, for a question that offers it (ask_yes_no_cancel); a yes/no
    // question that meets it fails the test and is answered No.
    ScriptedPrompts& answer_cancel();
    // File dialogs (open and save share one queue): a path, or a cancel.
    // A dialog without a queued choice fails the test and is cancelled.
    ScriptedPrompts& answer_file(const QString& path);
    ScriptedPrompts& cancel_file_dialog();
    ScriptedPrompts& answer_font(const QFont& font);
    ScriptedPrompts& cancel_font_dialog();
    // Check lists: the boxes' states to accept with (empty: as proposed), or a cancel.
    // A list without a queued choice fails the test and is cancelled.
    ScriptedPrompts& answer_items(const QList<bool>& checked = {});
    ScriptedPrompts& cancel_items();
    // Input boxes: the line to accept with, or a cancel. A box without a queued line,
    // or a number box given a line it would not take, fails the test and is cancelled.
    ScriptedPrompts& answer_input(const QString& text);
    ScriptedPrompts& cancel_input();
    ScriptedPrompts& accept_printer(bool accept);
    // Accepts the print dialog with the printer set to write a PDF file at path.
    ScriptedPrompts& accept_printer_to_pdf(const QString& path);
    // Whether opening with the desktop succeeds (true unless set).
    void set_desktop_opens(bool opens) { desktop_opens_ = opens; }

    // Runs while a prompt is up, after it was recorded: a test acts "during" a box.
    std::function<void(const RecordedPrompt&)> on_prompt;

    const std::vector<RecordedPrompt>& records() const { return records_; }
    // The text of every prompt so far, in order (file dialogs: their filter).
    QStringList texts() const;
    // Only the texts of message boxes, in order.
    QStringList messages() const;
    void clear_records() { records_.clear(); }
    // Whether every queued answer was taken.
    bool all_answers_used() const;

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
    ScriptedPrompts& queue_answer(bool yes);
    void record(RecordedPrompt prompt);
    std::optional<QString> file_answer(PromptKind kind, const FileDialogRequest& request);

    std::optional<Answer> next_answer(const QString& text);

    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> files_;
    std::deque<std::optional<QFont>> fonts_;
    struct ItemChoice {
        bool accepted = false;
        QList<bool> checked;  // empty: as proposed
    };
    std::deque<ItemChoice> item_choices_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> printers_;  // accepted (PDF file or none), or cancelled
    bool desktop_opens_ = true;
    std::vector<RecordedPrompt> records_;
};

}  // namespace vx::test
