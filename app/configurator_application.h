// The configurator's QApplication: title, Qt's Russian translations, and the
// error box for an error that escapes an event handler.
#pragma once

#include <QApplication>

namespace vx::ui {

class UserPrompts;

class ConfiguratorApplication : public QApplication {
    Q_OBJECT
public:
    ConfiguratorApplication(int& argc, char** argv);

    // Where escaped errors are shown; null: standard error.
    void set_prompts(UserPrompts* prompts) { prompts_ = prompts; }
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows an error that reached the top level: its message, or an empty one
    // for an error of an unknown kind.
    void show_escaped_error(const QString& text);

private:
    UserPrompts* prompts_ = nullptr;
};

}  // namespace vx::ui
