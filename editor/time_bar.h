// The debug session's time: its date and time, the speed runs go at, and a button to
// move time on by a chosen span.
#pragma once

#include <QWidget>

#include <chrono>

class QComboBox;
class QLabel;
class QPushButton;

namespace vx::debugger {
struct ClockTime;
}

namespace vx::ui {

class UserPrompts;

class TimeBar final : public QWidget {
    Q_OBJECT
public:
    // "Перемотать на..." asks its span through prompts.
    explicit TimeBar(UserPrompts& prompts, QWidget* parent = nullptr);

    void show_time(const debugger::ClockTime& time);
    // The speed a run goes at: 1, 10, 100, 1000 times real time; 0 while "пауза" is
    // chosen, when runs stop at once.
    double speed() const;
    void set_speed_index(int index);

    QLabel* clock() const { return clock_; }
    QComboBox* speed_box() const { return speed_; }
    QPushButton* advance_button() const { return advance_; }

signals:
    void advance_requested(std::chrono::minutes span);
    void speed_changed(double speed);

private:
    // Asks for the span in minutes and, unless cancelled, asks to move time on by it.
    void ask_span();

    UserPrompts& prompts_;
    QLabel* clock_ = nullptr;
    QComboBox* speed_ = nullptr;
    QPushButton* advance_ = nullptr;
};

}  // namespace vx::ui
