// The variable watch window: chosen variables sampled by timer with their names,
// extremes and last change, a trend chart, a CSV record, and the main grid fed.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "commissioning/watch.h"
#include "commissioning/watch_list.h"
#include "dialogs/watch_list_view.h"  // the table, a QTableView, for its users

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTimer;

namespace vx::ui {

class UserPrompts;
struct ChartLine;
class WatchChart;
class WatchChartBar;
class WatchSampler;
class WatchWindowModel;
class WindowContext;

// The number a user typed for a variable, or -1 when it is not one of 0 to 1023.
int parse_variable_number(const QString& text);

class WatchWindow : public QDialog {
    Q_OBJECT
public:
    enum Column {
        variable_column,
        name_column,
        value_column,
        min_column,
        max_column,
        changed_column,
        chart_column,
        column_count
    };
    static constexpr int kDefaultIntervalMs = 1000;
    // Two points (the lowest and the highest) per two pixels of a wide chart: drawing a
    // line's points is most of a sample's cost.
    static constexpr int kChartPointsPerSeries = 600;
    // Samples further apart than three intervals and a second (a slow answer's time)
    // leave a gap in the chart's line: the watch stopped, or the controller did not answer.
    static constexpr int kChartGapIntervals = 3;
    static constexpr std::chrono::milliseconds kChartGapSlack{1000};

    explicit WatchWindow(WindowContext& context, QWidget* parent = nullptr);
    ~WatchWindow() override;  // writes the settings

    // Adds the variables not yet watched, in their order, and shows the window.
    void add_variables(const std::vector<int>& variables);
    std::vector<int> variables() const { return list_.variables(); }
    const commissioning::WatchList& list() const { return list_; }

    void AddClick();     // "Добавить": the number typed
    void RemoveClick();  // "Удалить": the selected rows
    void NamesClick();   // "Имена из заметок..."
    // "Добавить все из заметок": every variable the notes name, in number order.
    void AddAllFromNotesClick();
    void StartClick();   // "Старт"
    void StopClick();    // "Стоп"
    void RecordClick();  // "Запись в файл..." / "Остановить запись"
    void ResetExtremesClick();  // "Сбросить мин./макс.", and after a reconnect
    // One sample, as the timer takes it, started on a thread of its own; skipped while a
    // long operation runs or the previous sample waits for its reply.
    void TimerTick();
    // Waits for the sample in flight and shows it now (a test's tick taken whole).
    void finish_sample();
    bool sample_in_flight() const;
    int skipped_ticks() const { return skipped_ticks_; }  // found a sample in flight
    // A sample taken: the row values, the chart, the record and the main grid; or the
    // status line and a gap in the record, for failure, when it was not answered.
    void show_sample(const commissioning::WatchSample& sample, const std::string& failure = {});

    QTimer* timer() const { return timer_; }
    bool recording() const { return recording_; }
    const commissioning::WatchHistory& history() const { return list_.history(); }
    // The chart's line of a charted variable; null when it is not charted.
    const ChartLine* line_of(int variable) const;
    // Draws the checked variables' span now. A sample redraws it while the window is
    // shown, at most once a second for the longer spans.
    void refresh_chart();

    QLineEdit* number_edit = nullptr;
    QPushButton* add_button = nullptr;
    QPushButton* remove_button = nullptr;
    QPushButton* names_button = nullptr;
    QPushButton* notes_all_button = nullptr;
    QPushButton* save_list_button = nullptr;  // and the rest of the list file's work in
    QPushButton* open_list_button = nullptr;  // the table's view
    WatchListView* watch_list = nullptr;      // over the list's model
    QDoubleSpinBox* interval_box = nullptr;   // seconds
    QPushButton* start_button = nullptr;
    QPushButton* stop_button = nullptr;
    QPushButton* record_button = nullptr;
    QPushButton* reset_button = nullptr;
    QCheckBox* main_grid_box = nullptr;  // "Обновлять таблицу главного окна"
    QComboBox* span_box = nullptr;       // minutes of the chart: 1, 10, 60
    WatchChart* trend = nullptr;
    WatchChartBar* chart_bar = nullptr;  // its scale, freeze, zoom reset, PNG and cursor
    QLabel* status_line = nullptr;
    QLabel* record_line = nullptr;

    // Closing the window (its button, Esc) ends the sampling and the record: a
    // watch nobody sees would fill the exchange log.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // The values of all 1024 variables of each answered sample, while the main
    // grid option is checked.
    void variables_read(const std::vector<uint16_t>& values);
    // The samples stopped going to the variables grid (Стоп, the option unticked).
    void grid_feed_ended();

private:
    void build_layout();
    void stop_recording();
    // A sample that could not be taken: a marked row, so the record shows the gap.
    void record_gap(std::chrono::system_clock::time_point time, const std::string& reason);
    void list_edited(const QModelIndex& top_left);
    void load_settings();
    void save_settings() const;
    void show_status(const QString& text);
    // After a value written from a row: with sampling stopped one sample shows it now,
    // with sampling running the next sample does.
    void read_back(const QString& written);
    QString failures_text() const;

    WindowContext& context_;
    UserPrompts& prompts_;
    commissioning::WatchList list_;  // the rows and what the samples told of them
    WatchWindowModel* model_ = nullptr;
    std::map<int, std::string> notes_names_;  // of the last notes read, for variables added later
    QTimer* timer_ = nullptr;
    WatchSampler* sampler_ = nullptr;
    QString read_back_text_;  // the status once the read-back sample is answered
    int session_ = 0;         // Стоп begins a new one: a sample of an earlier one is not shown
    int sample_session_ = 0;  // of the sample in flight
    int skipped_ticks_ = 0;
    commissioning::WatchCsv csv_;
    std::vector<int> recorded_variables_;  // the CSV's columns, fixed when it was opened
    bool recording_ = false;
    int failed_samples_ = 0;  // unanswered since Старт
    QString last_failure_;    // the time of the last of them
    bool sampling_ = false;   // a sample is being shown (its box may be open)
    bool loading_ = false;    // the settings are being read: nothing to write back yet
    std::chrono::steady_clock::time_point chart_drawn_;
};

}  // namespace vx::ui
