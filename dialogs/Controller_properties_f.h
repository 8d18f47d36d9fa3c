// Tc_prop: the controller services dialog: services on and off, the
// controller's clock, and the delay at the end of the program cycle.
#pragma once

#include <array>
#include <functional>

#include <QDateTime>
#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vx::ui {

class WindowContext;

class Tc_prop : public QDialog {
    Q_OBJECT
public:
    // The computer's local clock; tests give their own.
    using Clock = std::function<QDateTime()>;

    explicit Tc_prop(WindowContext& context, QWidget* parent = nullptr);
    void set_clock(Clock clock) { clock_ = std::move(clock); }
    // Set by every state query: whether it showed "Ошибка".
    bool error_flag() const { return error_flag_; }

    // --- events ------------------------------------------------------------------------
    void FormShow();       // every opening: the states, in the order 0, 2, 1
    void FormResize();     // keeps "Закрыть" centred
    void TabSheet2Show();  // "Дата и время" became visible: both clocks, read now
    void QueryClick(int service);
    void SwitchClick(int service, bool on);
    void SetTimeClick();     // "Установить текущее время"
    void DelayQueryClick();  // "Опрос"
    void DelayApplyClick();  // "Применить"

    // --- controls ------------------------------------------------------------------------
    struct ServiceGroup {
        QGroupBox* box = nullptr;
        QLabel* state = nullptr;  // after "Текущее состояние:"
        QPushButton* query = nullptr;
        QPushButton* on = nullptr;
        QPushButton* off = nullptr;
    };
    std::array<ServiceGroup, 3> services;  // by service number, not by place on the tab
    QTabWidget* pc = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    QLabel* local_time = nullptr;
    QLabel* controller_time = nullptr;
    QPushButton* set_time_button = nullptr;
    QSpinBox* ud1 = nullptr;  // the delay, 0 to 5
    QPushButton* delay_query_button = nullptr;
    QPushButton* delay_apply_button = nullptr;
    QWidget* Panel1 = nullptr;  // the bottom strip
    QPushButton* close_button = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* build_services_tab();
    QWidget* build_clock_tab();
    QWidget* build_other_tab();
    ServiceGroup make_service_group(int service, const QString& caption, QWidget* parent);
    void reset_state_texts();

    WindowContext& context_;
    Clock clock_;
    bool error_flag_ = false;
};

}  // namespace vx::ui
