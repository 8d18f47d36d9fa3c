// The program pane's language help: a completion list, the parameter hint of
// a call, hover tooltips and the compiler's problem underlined as you type.
// The Compile command and its message pane know nothing of it.
#pragma once

#include <QObject>
#include <QString>

#include "language/document_text.h"
#include "language/program_analysis.h"

class QLabel;
class QListWidget;
class QPoint;
class QTextEdit;
class QTimer;

namespace vx::ui {

class ProgramPane;

class LanguageAssist final : public QObject {
    Q_OBJECT
public:
    // Quiet time after the last change before the problem is underlined.
    static constexpr int kCheckDelayMs = 400;

    LanguageAssist(ProgramPane& pane, QTextEdit& notes, QObject* parent = nullptr);

    // Where the editor has values of the controller's variables (a connection,
    // a debug session), hover shows them; nullptr for none.
    void set_variable_values(const language::VariableValues* values);

    // The check the timer runs: the compiler's problem underlined in the pane.
    void check_now();
    // Ctrl+Space: the list of what may come at the caret.
    void show_completion();
    // The hover text at a point of the pane's viewport ("" for none).
    QString hover_text(const QPoint& at);

    QListWidget* completion_list() const { return list_; }
    QLabel* signature_hint() const { return hint_; }
    const language::ProgramAnalysis& analysis();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void text_changed(int position, int removed, int added);
    void refresh_analysis();
    language::TextPosition caret() const;
    void update_completion(bool show_empty);
    void accept_completion();
    void update_signature_hint();
    bool list_key(int key);
    int fitted_left(int left, int width) const;

    ProgramPane& pane_;
    QTextEdit& notes_;
    language::ProgramAnalysis analysis_;
    language::DocumentText text_;
    bool text_stale_ = true;
    bool notes_stale_ = true;
    QString typed_;  // the text of the key being handled, until its change arrives
    language::Completion completion_;
    QTimer* check_timer_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace vx::ui
