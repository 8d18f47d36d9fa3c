// ScriptedPrompts: queued answers, recorded prompts, failures for surprises.
#include "support/ui/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QPrinter>

namespace vx::test {

ScriptedPrompts& ScriptedPrompts::queue_answer(bool yes) {
    answers_.push_back(yes ? Answer::yes : Answer::no);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answer_cancel() {
    answers_.push_back(Answer::cancel);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answer_file(const QString& path) {
    files_.emplace_back(path);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::cancel_file_dialog() {
    files_.emplace_back(std::nullopt);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answer_font(const QFont& font) {
    fonts_.emplace_back(font);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::cancel_font_dialog() {
    fonts_.emplace_back(std::nullopt);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answer_items(const QList<bool>& checked) {
    item_choices_.push_back({true, checked});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::cancel_items() {
    item_choices_.push_back({false, {}});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answer_input(const QString& text) {
    inputs_.emplace_back(text);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::cancel_input() {
    inputs_.emplace_back(std::nullopt);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::accept_printer(bool accept) {
    if (accept) {
        printers_.emplace_back(QString());
    } else {
        printers_.emplace_back(std::nullopt);
    }
    return *this;
}

ScriptedPrompts& ScriptedPrompts::accept_printer_to_pdf(const QString& path) {
    printers_.emplace_back(path);
    return *this;
}

QStringList ScriptedPrompts::texts() const {
    QStringList result;
    for (const RecordedPrompt& prompt : records_) {
        result << prompt.text;
    }
    return result;
}

QStringList ScriptedPrompts::messages() const {
    QStringList result;
    for (const RecordedPrompt& prompt : records_) {
        if (prompt.kind == PromptKind::message) {
            result << prompt.text;
        }
    }
    return result;
}

bool ScriptedPrompts::all_answers_used() const {
    return answers_.empty() && files_.empty() && fonts_.empty() && printers_.empty() &&
           item_choices_.empty() && inputs_.empty();
}

void ScriptedPrompts::record(RecordedPrompt prompt) {
    records_.push_back(prompt);
    if (on_prompt) {
        on_prompt(records_.back());
    }
}

void ScriptedPrompts::message(PromptIcon icon, const QString& caption, const QString& text) {
    record({PromptKind::message, icon, caption, text, {}, {}, {}, {}});
}

std::optional<Answer> ScriptedPrompts::next_answer(const QString& text) {
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return std::nullopt;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

bool ScriptedPrompts::ask_yes_no(PromptIcon icon, const QString& caption, const QString& text) {
    record({PromptKind::question, icon, caption, text, {}, {}, {}, {}});
    const std::optional<Answer> answer = next_answer(text);
    if (answer == Answer::cancel) {
        ADD_FAILURE() << "Cancel queued for a yes/no question: " << text.toStdString();
    }
    return answer == Answer::yes;
}

Answer ScriptedPrompts::ask_yes_no_cancel(PromptIcon icon, const QString& caption,
                                          const QString& text) {
    record({PromptKind::question, icon, caption, text, {}, {}, {}, {}});
    return next_answer(text).value_or(Answer::cancel);
}

std::optional<QString> ScriptedPrompts::file_answer(PromptKind kind,
                                                    const FileDialogRequest& request) {
    record({kind, PromptIcon::none, request.title, request.filter, request, {}, {}, {}});
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.filter.toStdString();
        return std::nullopt;
    }
    const bool chosen = files_.front().has_value();
    const QString path = files_.front().value_or(QString());
    files_.pop_front();
    return chosen ? std::optional<QString>(path) : std::nullopt;
}

std::optional<QString> ScriptedPrompts::open_file(const FileDialogRequest& request) {
    return file_answer(PromptKind::open_file, request);
}

std::optional<QString> ScriptedPrompts::save_file(const FileDialogRequest& request) {
    return file_answer(PromptKind::save_file, request);
}

std::optional<QFont> ScriptedPrompts::choose_font(const QFont& current) {
    record({PromptKind::font, PromptIcon::none, {}, current.family(), {}, {}, {}, {}});
    if (fonts_.empty()) {
        ADD_FAILURE() << "unexpected font dialog";
        return std::nullopt;
    }
    std::optional<QFont> font = fonts_.front();
    fonts_.pop_front();
    return font;
}

std::optional<QList<bool>> ScriptedPrompts::choose_items(const CheckListRequest& request) {
    record({PromptKind::check_list,
            PromptIcon::none,
            request.caption,
            request.text,
            {},
            {},
            request,
            {}});
    if (item_choices_.empty()) {
        ADD_FAILURE() << "unexpected check list: " << request.text.toStdString();
        return std::nullopt;
    }
    const ItemChoice choice = item_choices_.front();
    item_choices_.pop_front();
    if (!choice.accepted) {
        return std::nullopt;
    }
    return choice.checked.isEmpty() ? request.checked : choice.checked;
}

std::optional<QString> ScriptedPrompts::ask_input(const InputRequest& request) {
    record(
        {PromptKind::input, PromptIcon::none, request.caption, request.label, {}, {}, {}, request});
    if (inputs_.empty()) {
        ADD_FAILURE() << "unexpected input box: " << request.label.toStdString();
        return std::nullopt;
    }
    const std::optional<QString> line = inputs_.front();
    inputs_.pop_front();
    if (line && request.range) {
        bool number = false;
        const int value = line->toInt(&number);
        if (!number || value < request.range->first || value > request.range->second) {
            ADD_FAILURE() << "the number box takes no " << line->toStdString();
            return std::nullopt;
        }
    }
    return line;
}

bool ScriptedPrompts::choose_printer(QPrinter& printer) {
    record({PromptKind::printer, PromptIcon::none, {}, {}, {}, {}, {}, {}});
    if (printers_.empty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    const std::optional<QString> choice = printers_.front();
    printers_.pop_front();
    if (choice && !choice->isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*choice);
    }
    return choice.has_value();
}

bool ScriptedPrompts::open_with_desktop(const QUrl& url) {
    record({PromptKind::desktop, PromptIcon::none, {}, url.toString(), {}, url, {}, {}});
    return desktop_opens_;
}

}  // namespace vx::test
