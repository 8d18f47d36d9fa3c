// The watch window against the simulator running a compiled counter: the row, the chart
// and the CSV follow it; names come from notes; a program load pauses the watch; a silent
// controller gives the status line only and never holds up the window; the list comes
// back at the next start; a reconnection after a reboot lets it sample again.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>
#include <tuple>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/forms.h"
#include "compiler/compile_program.h"
#include "dialogs/Autoaddr.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/backup_window.h"
#include "dialogs/chart_view.h"
#include "dialogs/watch_chart.h"
#include "dialogs/watch_chart_bar.h"
#include "dialogs/watch_list_view.h"
#include "dialogs/watch_window.h"
#include "sim/program_runner.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using Watch = ui::WatchWindow;

TEST(WatchTexts, VariableNumbersAsTypedAndValueAxesAtRoundNumbers) {
    const std::pair<QString, int> rows[] = {{"7", 7},   {" 1023 ", 1023}, {"1024", -1},
                                            {"-1", -1}, {"7a", -1},       {"", -1}};
    for (const auto& [typed, expected] : rows) {
        EXPECT_EQ(expected, ui::parse_variable_number(typed)) << typed.toStdString();
    }
    struct Axis {
        int low, high, first, last, ticks;
    };
    const Axis axes[] = {{0, 1000, 0, 1000, 6},   {100, 880, 0, 1000, 6}, {512, 530, 510, 530, 5},
                         {200, 200, 199, 201, 3}, {0, 0, 0, 2, 3},        {0, 65535, 0, 70000, 8},
                         {0, 99, 0, 100, 6}};
    for (const Axis& a : axes) {
        const ui::AxisSpan span = ui::round_axis_span(a.low, a.high);
        EXPECT_EQ(a.first, span.low) << a.low << ".." << a.high;
        EXPECT_EQ(a.last, span.high) << a.low << ".." << a.high;
        EXPECT_EQ(a.ticks, span.ticks) << a.low << ".." << a.high;
    }
    // The time axis shows the date once its view spans more than one calendar day.
    const auto at = [](int day, int hour, int minute) {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute, 7)).toMSecsSinceEpoch();
    };
    const std::tuple<int64_t, int64_t, int64_t, QString> times[] = {
        {at(9, 23, 50), at(9, 0, 0), at(9, 23, 59), "23:50:07"},
        {at(9, 23, 50), at(9, 23, 0), at(10, 0, 10), "09.12 23:50"}};
    for (const auto& [ms, from, to, label] : times) {
        EXPECT_EQ(label, ui::chart_time_label(ms, from, to));
    }
    // A chart's line is cut where neighbouring samples lie more than the step apart.
    struct Gaps {
        std::vector<int64_t> times;
        std::vector<std::size_t> runs;  // points in each run
    };
    const Gaps gaps[] = {{{}, {}},
                         {{1000}, {1}},
                         {{0, 1000, 2000, 3000}, {4}},
                         {{0, 1000, 1001, 2001}, {4}},
                         {{0, 1000, 2001, 3001}, {2, 2}},
                         {{0, 5000, 6000, 20000}, {1, 2, 1}}};
    for (const Gaps& g : gaps) {
        std::vector<commissioning::WatchHistory::Point> points;
        for (int64_t t : g.times) {
            points.push_back({t, static_cast<uint16_t>(t % 7)});
        }
        std::vector<std::size_t> runs;
        for (const auto& run : ui::split_at_gaps(points, 1000)) {
            runs.push_back(run.size());
        }
        EXPECT_EQ(g.runs, runs) << ::testing::PrintToString(g.times);
    }
    // The chart's stretch at 100 s, samples kept since 40 s: zoom keeps the moment under
    // the mouse in place, neither zoom nor drag goes past now or the oldest sample.
    struct Step {
        double factor;  // 0: a drag by shift
        int64_t at_or_shift;
    };
    struct Stretch {
        std::vector<Step> steps;
        int64_t from, to;
    };
    const Stretch stretches[] = {{{{0.5, 80000}}, 60000, 90000},
                                 {{{0.5, 80000}, {0.01, 80000}}, 76667, 81667},
                                 {{{0.5, 80000}, {4, 80000}}, 40000, 100000},
                                 {{{2, 100000}}, 40000, 100000},
                                 {{{0.5, 80000}, {0, 20000}}, 70000, 100000},
                                 {{{0.5, 80000}, {0, -50000}}, 40000, 70000}};
    for (const Stretch& s : stretches) {
        ui::ChartView view;
        view.follow(100000, 60000, 40000);
        for (const Step& step : s.steps) {
            if (step.factor == 0) {
                view.pan(step.at_or_shift, 100000, 40000);
            } else {
                view.zoom(step.factor, step.at_or_shift, 100000, 40000);
            }
        }
        view.follow(200000, 60000, 40000);  // later samples move no frozen view
        EXPECT_TRUE(view.frozen());
        EXPECT_EQ(s.from, view.from_ms()) << s.steps.size() << " " << s.steps.back().factor;
        EXPECT_EQ(s.to, view.to_ms()) << s.steps.size() << " " << s.steps.back().factor;
    }
}

class WatchAgainstSimulator : public SimWindowTest {
protected:
    void start() {
        start_simulator();
        open_watch(sim_->port());
    }
    void open_watch(uint16_t port) {
        create_all_windows(port);
        ui::main_form->VarWatch1->trigger();
        watch_ = ui::var_watch;
        ASSERT_TRUE(watch_->isVisible());
        prompts_.clear_records();  // the start-up's own boxes
    }
    // A cell of the table as shown, a chart box, and a cell as the user edits it.
    QString cell(int row, int column) const {
        return watch_->watch_list->model()->index(row, column).data().toString();
    }
    Qt::CheckState chart_box(int row) const {
        return static_cast<Qt::CheckState>(watch_->watch_list->model()
                                               ->index(row, Watch::chart_column)
                                               .data(Qt::CheckStateRole)
                                               .toInt());
    }
    void edit(int row, int column, const QVariant& value, int role = Qt::EditRole) {
        QAbstractItemModel* model = watch_->watch_list->model();
        ASSERT_TRUE(model->setData(model->index(row, column), value, role));
    }
    // The line's message; the count of unanswered samples may follow it.
    bool status_ends_with(const char* text) const {
        const QString line = watch_->status_line->text();
        return line.endsWith(QString::fromUtf8(text)) ||
               line.contains(QString::fromUtf8(text) + " Без ответа с начала наблюдения: ");
    }
    // The counter program: var[10] goes up by one every cycle of the simulator.
    void run_counter() {
        const auto source = dir_.write("count.prg", std::string_view("var[10]=var[10]+1;\r\n"));
        vx::CompileError error;
        ASSERT_EQ(vx::kCompiled, vx::compile_program(source.string(), error)) << error.message;
        compiled_ = vx::compiled_file_path(source.string());
        std::size_t count = 0;
        ASSERT_EQ("", sim_->with_state([&](sim::ControllerState& s) {
            return sim::load_program_file(compiled_, s, count);
        }));
    }
    std::size_t requests() const { return context_->exchange_log().added(); }
    // What a tick sent: the requests logged, or the sample it started (still in flight).
    std::size_t tick_requests() {
        const std::size_t before = requests();
        const bool in_flight = watch_->sample_in_flight();
        watch_->TimerTick();
        return requests() - before + (!in_flight && watch_->sample_in_flight() ? 1 : 0);
    }
    // A tick of the timer, or Старт, taken whole: its sample is shown before this returns.
    void tick() {
        watch_->TimerTick();
        watch_->finish_sample();
    }
    void start_watch() {
        watch_->StartClick();
        watch_->finish_sample();
    }

    Watch* watch_ = nullptr;
    std::string compiled_;
};

TEST_F(WatchAgainstSimulator, RowChartAndRecordFollowTheRunningProgram) {
    start();
    run_counter();
    EXPECT_EQ("Наблюдение за переменными", watch_->windowTitle());
    watch_->number_edit->setText("1024");
    watch_->AddClick();
    EXPECT_EQ(QStringList{"Номер переменной должен быть числом от 0 до 1023."},
              prompts_.messages());
    watch_->number_edit->setText("10");
    watch_->AddClick();
    watch_->add_variables({11, 10});  // 10 is watched already
    ASSERT_EQ((std::vector<int>{10, 11}), watch_->variables());

    const auto notes = dir_.write("count.prg.tag", std::string_view("#var[10] Счётчик циклов\r\n"
                                                                    "#var[11] Не меняется\r\n"));
    prompts_.answer_file(QString::fromStdString(notes.string()));
    watch_->NamesClick();
    EXPECT_EQ("Счётчик циклов", cell(0, Watch::name_column));
    edit(0, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);

    prompts_.answer_file(path("missing/watch.csv"));
    watch_->RecordClick();
    EXPECT_FALSE(watch_->recording());
    const QString csv = path("watch.csv");
    prompts_.answer_file(csv);
    watch_->RecordClick();  // starts sampling too
    ASSERT_TRUE(watch_->recording());
    EXPECT_TRUE(watch_->timer()->isActive());
    EXPECT_EQ(1000, watch_->timer()->interval());
    // Samples until the counter has been seen to change (the timer may add some).
    ASSERT_TRUE(
        wait_for([&] { return (tick(), watch_->history().series(10)->changed.has_value()); }));
    {
        const ui::LongOperation other(*context_);
        watch_->TimerTick();  // no request, and a marked row in the record
    }
    // The record's columns are fixed: a variable is refused while it runs.
    watch_->add_variables({12});
    EXPECT_EQ((std::vector<int>{10, 11}), watch_->variables());
    tick();
    // Closing the window ends the record and the sampling, and says so.
    watch_->close();
    EXPECT_FALSE(watch_->recording());
    EXPECT_FALSE(watch_->timer()->isActive());
    EXPECT_EQ("Наблюдение остановлено: окно закрыто.", watch_->status_line->text());

    const auto* counter = watch_->history().series(10);
    const std::size_t samples = watch_->history().size();
    ASSERT_GE(samples, 2u);
    EXPECT_EQ(QString::number(counter->values.back()), cell(0, Watch::value_column));
    EXPECT_EQ(QString::number(counter->values.front()), cell(0, Watch::min_column));
    EXPECT_EQ(QString::number(counter->values.back()), cell(0, Watch::max_column));
    EXPECT_LT(counter->values.front(), counter->values.back());
    EXPECT_FALSE(cell(0, Watch::changed_column).isEmpty());
    const QString steady = cell(1, Watch::value_column);  // the house's value, never changed
    EXPECT_EQ(steady, cell(1, Watch::min_column));
    EXPECT_EQ(steady, cell(1, Watch::max_column));
    EXPECT_TRUE(cell(1, Watch::changed_column).isEmpty());

    watch_->refresh_chart();  // a 10-minute chart is drawn at most once a second
    const ui::ChartLine* line = watch_->line_of(10);
    ASSERT_NE(nullptr, line);
    EXPECT_EQ(nullptr, watch_->line_of(11));
    EXPECT_EQ("Счётчик циклов", line->name);
    EXPECT_EQ(1u, line->runs.size());  // samples a second apart: no gap
    ASSERT_EQ(samples, line->count());
    EXPECT_EQ(counter->values.back(), line->last().y());

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(static_cast<int>(samples) + 2, lines.size());
    EXPECT_EQ(1, lines.filter(";нет данных: выполняется другая операция с контроллером").size());
    EXPECT_EQ("Время;var[10] Счётчик циклов;var[11] Не меняется", lines[0]);
    EXPECT_TRUE(
        lines.back().endsWith(QStringLiteral(";%1;%2").arg(counter->values.back()).arg(steady)));
    EXPECT_EQ(3, lines.back().count(';') + 1);
    EXPECT_EQ((QStringList{"Номер переменной должен быть числом от 0 до 1023.",
                           "Не удалось записать файл " + path("missing/watch.csv") + ".",
                           "Идёт запись в файл: переменные в неё не добавить. Остановите "
                           "запись, добавьте переменные и начните новую запись."}),
              prompts_.messages());

    // "Сбросить мин./макс." and Старт: the extremes start again from the next sample.
    for (QPushButton* button : {watch_->reset_button, watch_->start_button}) {
        button->click();
        watch_->finish_sample();  // Старт's first sample
        if (button == watch_->reset_button) {
            EXPECT_EQ("", cell(0, Watch::min_column));
            tick();
        }
        EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::min_column));
        EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::max_column));
    }
    watch_->StopClick();
}

// Two lines, one rising and one falling, with a 20 s pause: their own scales, the
// cursor's reading, zoom and "Вся история", the freeze while samples come, the PNG.
TEST_F(WatchAgainstSimulator, TheChartScalesReadsZoomsFreezesAndSaves) {
    start();
    watch_->add_variables({1, 2});
    for (int row : {0, 1}) {
        edit(row, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);
    }
    const auto now = std::chrono::system_clock::now();
    const auto sample = [&](int i) {
        commissioning::WatchSample s;
        s.answered = true;
        // 20..39 after a pause; the 40th a minute ahead, after any freeze
        s.time = now + std::chrono::seconds(i < 20 ? i - 60 : i < 40 ? i - 40 : 60);
        s.all.assign(1024, 0);
        s.all[1] = static_cast<uint16_t>(100 + i);
        s.all[2] = static_cast<uint16_t>(500 - 10 * i);
        return s;
    };
    for (int i = 0; i < 40; ++i) {
        watch_->show_sample(sample(i));
    }
    ui::WatchChart& chart = *watch_->trend;
    ui::WatchChartBar& bar = *watch_->chart_bar;
    bar.normalise_box->setChecked(true);
    for (const auto& [variable, low, high, first] :
         {std::tuple{1, 100, 139, 0.0}, std::tuple{2, 110, 500, 100.0}}) {
        const ui::ChartLine& line = *chart.line_of(variable);
        EXPECT_EQ(QStringLiteral("var[%1]: %2…%3").arg(variable).arg(low).arg(high),
                  chart.legend_text(line));
        ASSERT_EQ(2u, line.runs.size());  // broken at the pause
        EXPECT_EQ(first,
                  ui::normalised_percent(line.runs.front().front().y(), line.low, line.high));
        EXPECT_EQ(100 - first,
                  ui::normalised_percent(line.runs.back().back().y(), line.low, line.high));
    }
    const int64_t first_ms = chart.line_of(1)->runs.front().front().x();
    chart.set_cursor_time(first_ms + 5500);
    EXPECT_TRUE(bar.reading_line->text().endsWith("  var[1]: 105;  var[2]: 450"));
    chart.set_cursor_time(first_ms + 29000);  // 10 s into the pause
    EXPECT_TRUE(bar.reading_line->text().endsWith("  var[1]: нет данных;  var[2]: нет данных"));
    chart.grab();  // lays the plot out for the mouse
    QTest::mouseClick(&chart, Qt::LeftButton, {}, chart.rect().center());
    EXPECT_GT(*chart.cursor_time(), chart.view().from_ms());
    EXPECT_LT(*chart.cursor_time(), chart.view().to_ms());

    // Two notches of the wheel away from the user narrow the ten minutes to 0.64 of them.
    QWheelEvent wheel(chart.rect().center(), chart.mapToGlobal(chart.rect().center()), {}, {0, 240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    EXPECT_TRUE(bar.freeze_button->isChecked());
    EXPECT_TRUE(bar.view_line->text().startsWith("Вид заморожен: "));
    EXPECT_EQ(384000, chart.view().to_ms() - chart.view().from_ms());
    bar.history_button->click();
    EXPECT_FALSE(bar.freeze_button->isChecked());
    EXPECT_EQ(first_ms, chart.view().from_ms());
    EXPECT_EQ("Вид: вся история.", bar.view_line->text());

    bar.freeze_button->click();
    const ui::ChartView frozen = chart.view();
    watch_->show_sample(sample(40));  // sampling goes on
    watch_->refresh_chart();
    EXPECT_EQ(frozen.to_ms(), chart.view().to_ms());
    EXPECT_EQ(40u, chart.line_of(1)->count());
    bar.freeze_button->click();
    EXPECT_EQ(41u, chart.line_of(1)->count());
    EXPECT_EQ("Вид: вся история.", bar.view_line->text());  // the live view it left
    watch_->span_box->setCurrentIndex(watch_->span_box->findData(1));
    EXPECT_EQ(60000, chart.view().to_ms() - chart.view().from_ms());

    prompts_.answer_file(path("chart.png")).answer_file(path("missing/chart.png"));
    bar.SaveClick();
    bar.SaveClick();
    EXPECT_EQ(chart.size(), QImage(path("chart.png")).size());
    EXPECT_EQ("График сохранён: " + path("chart.png"), bar.saved_line->text());
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_TRUE(prompts_.messages()[0].startsWith("Не удалось записать файл " +
                                                  path("missing/chart.png") + ": "));
    EXPECT_FALSE(QFile::exists(path("missing")));
}

TEST_F(WatchAgainstSimulator, TheMainGridAndTheWatchHandVariablesBothWays) {
    start();
    run_counter();
    ui::StringGrid& grid = *ui::main_form->sg1;
    grid.select_cell(4, 1);  // var[3]
    ui::main_form->AddToWatch1->trigger();
    EXPECT_EQ(std::vector<int>{3}, watch_->variables());

    watch_->add_variables({10});
    watch_->main_grid_box->setChecked(true);
    // Samples until one finds the counter changed since the sample before: highlighted.
    ASSERT_TRUE(wait_for([&] { return (tick(), grid.cell_color(11, 1).isValid()); }));
    EXPECT_EQ(cell(1, Watch::value_column), grid.cell(11, 1));
    EXPECT_FALSE(grid.cell_color(4, 1).isValid());

    // The marks mean "changed since the previous sample": gone when the samples stop
    // (Стоп, the option unticked, a reconnection).
    const std::function<void()> stops[] = {[this] { watch_->StopClick(); },
                                           [this] { watch_->main_grid_box->setChecked(false); },
                                           [] { ui::main_form->Reconnect1->trigger(); }};
    for (const auto& stop : stops) {
        watch_->main_grid_box->setChecked(true);
        ASSERT_TRUE(wait_for([&] { return (tick(), grid.cell_color(11, 1).isValid()); }));
        stop();
        EXPECT_FALSE(grid.cell_color(11, 1).isValid());
    }
    watch_->main_grid_box->setChecked(false);
    const QString shown = grid.cell(11, 1);
    ASSERT_TRUE(wait_for([&] { return (tick(), cell(1, Watch::value_column) != shown); }));
    EXPECT_EQ(shown, grid.cell(11, 1));
}

TEST_F(WatchAgainstSimulator, AProgramLoadPausesTheWatchWhichResumesByItself) {
    start();
    run_counter();
    watch_->add_variables({10});
    edit(0, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);
    watch_->interval_box->setValue(0.2);
    watch_->span_box->setCurrentIndex(watch_->span_box->findData(1));
    start_watch();
    ASSERT_TRUE(status_ends_with(" Значения получены."));
    watch_->refresh_chart();
    const std::size_t runs_before_load = watch_->line_of(10)->runs.size();
    {
        const ui::LongOperation backup_read(*context_);
        EXPECT_EQ(0u, tick_requests());
        EXPECT_TRUE(status_ends_with("выполняется другая операция с контроллером."));
    }
    // The real load: the watch's tick comes from the transfer's own event processing.
    QString status_during_load;
    std::size_t requests_during_load = 0;
    QTimer::singleShot(0, watch_, [&] {
        requests_during_load = tick_requests();
        status_during_load = watch_->status_line->text();
    });
    prompts_.answer_file(QString::fromStdString(compiled_)).answer_no().answer_yes();
    ui::main_form->N6Click();
    EXPECT_EQ("Программа успешно загружена.", prompts_.messages().back());
    EXPECT_EQ(0u, requests_during_load);
    EXPECT_TRUE(status_during_load.endsWith("выполняется другая операция с контроллером."));
    const std::size_t samples = watch_->history().size();
    // Nothing sampled for longer than three intervals and the slack: the chart's line
    // breaks there instead of joining the samples on either side.
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    tick();
    EXPECT_TRUE(status_ends_with(" Значения получены."));
    EXPECT_EQ(samples + 1, watch_->history().size());
    EXPECT_TRUE(watch_->timer()->isActive());
    watch_->refresh_chart();
    EXPECT_EQ(runs_before_load + 1, watch_->line_of(10)->runs.size());
}

TEST_F(WatchAgainstSimulator, NoSampleFallsBetweenTheRequestsOfAnotherWindowsLoop) {
    start();
    watch_->add_variables({1});
    struct Case {
        const char* name;
        std::function<void()> run;
        std::function<void()> prepare = [] {};  // before the watch's tick is due
    };
    const Case cases[] = {
        {"module parameters", [] { ui::unit_params->Button1Click(); }},
        {"backup copy",
         [this] {
             ui::config_backup->parameters_box->setChecked(false);  // 256 a module take long
             ui::config_backup->x10_box->setChecked(false);  // no serial link to the simulator
             prompts_.answer_file(path("copy.json"));
             ui::config_backup->SaveClick();
         }},
        {"backup write",
         [this] {
             prompts_.answer_yes();  // "Будет записано в контроллер: ... Продолжить?"
             ui::config_backup->WriteClick();
         },
         [this] {
             ASSERT_EQ(vx::kDone, vx::write_start_value(context_->connection(), 12, 777));
             prompts_.answer_file(path("copy.json"));
             ui::config_backup->RestoreClick();  // the copy above holds 12's old value
             ASSERT_TRUE(ui::config_backup->write_button->isEnabled());
         }},
        {"support report",
         [this] {
             prompts_.answer_items().answer_file(path("report.json"));
             ui::main_form->SupportReport1Click();
         }},
        {"address search", [] { ui::aaddr->Button3Click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        settle_events();
        std::optional<std::size_t> sent;
        // Runs at the loop's first event processing, as the watch's timer would.
        QTimer::singleShot(0, watch_, [&] { sent = tick_requests(); });
        c.run();
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(0u, *sent);
        EXPECT_TRUE(status_ends_with("выполняется другая операция с контроллером."));
    }
}

TEST_F(WatchAgainstSimulator, ASilentControllerNeitherHoldsUpTheWindowNorOpensABox) {
    struct Case {
        const char* name;
        bool listening;
    };
    for (const Case& c : {Case{"nothing listening", false}, Case{"replies dropped", true}}) {
        SCOPED_TRACE(c.name);
        start_simulator({.faults = {.drop_every = 1}});
        const uint16_t port = sim_->port();
        if (!c.listening) {
            sim_.reset();
        }
        open_watch(port);
        watch_->add_variables({3});
        // An event posted as the first sample starts: with its reply dropped the window
        // takes the event, and skips the tick it makes, while the sample still waits (3 s).
        std::optional<QString> status_at_event;
        int skipped_at_event = 0;
        QTimer::singleShot(0, watch_, [&] {
            status_at_event = watch_->status_line->text();
            const int before = watch_->skipped_ticks();
            watch_->TimerTick();
            skipped_at_event = watch_->skipped_ticks() - before;
        });
        watch_->StartClick();
        ASSERT_TRUE(wait_for([&] { return status_at_event.has_value(); }));
        if (c.listening) {
            EXPECT_EQ("", status_at_event->toStdString());
            EXPECT_EQ(1, skipped_at_event);
        }
        ASSERT_TRUE(wait_for([&] { return status_ends_with(" Нет ответа от контроллера."); }));
        EXPECT_FALSE(watch_->status_line->text().startsWith(' '));  // the time comes first
        EXPECT_TRUE(prompts_.records().empty());
        EXPECT_TRUE(watch_->timer()->isActive());  // sampling goes on
        EXPECT_EQ("", cell(0, Watch::value_column));
        if (c.listening) {
            // Стоп while a sample waits: its end is not shown. Then the window goes while
            // another waits: it waits for the sample, which calls nothing of it.
            watch_->TimerTick();
            ASSERT_TRUE(watch_->sample_in_flight());
            watch_->StopClick();
            watch_->finish_sample();
            EXPECT_EQ("Наблюдение остановлено.", watch_->status_line->text().toStdString());
            watch_->TimerTick();
            ASSERT_TRUE(watch_->sample_in_flight());
        }
        close_windows();
        sim_.reset();
    }
}

TEST_F(WatchAgainstSimulator, TheListComesBackAtTheNextStart) {
    start();
    watch_->add_variables({700, 5});
    edit(0, Watch::name_column, "Уставка; зал");
    edit(1, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);
    watch_->watch_list->selectRow(1);
    watch_->watch_list->set_format_of_selected(commissioning::ValueFormat::hex);
    watch_->interval_box->setValue(0.2);
    watch_->span_box->setCurrentIndex(watch_->span_box->findData(60));
    watch_->main_grid_box->setChecked(true);
    watch_->chart_bar->normalise_box->setChecked(true);
    close_windows();

    open_watch(sim_->port());
    EXPECT_EQ((std::vector<int>{700, 5}), watch_->variables());
    EXPECT_EQ("Уставка; зал", cell(0, Watch::name_column));
    EXPECT_EQ("", cell(1, Watch::name_column));
    EXPECT_EQ(Qt::Unchecked, chart_box(0));
    EXPECT_EQ(Qt::Checked, chart_box(1));
    EXPECT_EQ(commissioning::ValueFormat::unsigned_decimal, watch_->list().rows()[0].format);
    EXPECT_EQ(commissioning::ValueFormat::hex, watch_->list().rows()[1].format);
    EXPECT_EQ(200, watch_->timer()->interval());
    EXPECT_EQ(60, watch_->span_box->currentData().toInt());
    EXPECT_TRUE(watch_->main_grid_box->isChecked());
    EXPECT_TRUE(watch_->trend->normalised());
    EXPECT_EQ("var[5]", watch_->line_of(5)->name);  // the legend of an unnamed variable
}

TEST_F(WatchAgainstSimulator, KeepsSamplingAcrossAReconnection) {
    start();
    run_counter();
    watch_->add_variables({10});
    start_watch();
    ASSERT_TRUE(status_ends_with(" Значения получены."));
    ASSERT_TRUE(wait_for(
        [&] { return (tick(), cell(0, Watch::min_column) != cell(0, Watch::max_column)); }));
    prompts_.answer_yes();
    ui::main_form->N16Click();  // the simulator closes every connection and comes back
    tick();
    EXPECT_TRUE(status_ends_with(" Нет ответа от контроллера."));
    ASSERT_TRUE(wait_until_listening(sim_->port()));
    ui::main_form->Reconnect1->trigger();
    EXPECT_EQ("", cell(0, Watch::max_column));  // the extremes start again
    const std::size_t samples = watch_->history().size();
    tick();
    EXPECT_TRUE(status_ends_with(" Значения получены."));
    // The lost sample stays in sight until the next Старт.
    EXPECT_TRUE(watch_->status_line->text().contains(
        QRegularExpression(" Без ответа с начала наблюдения: 1, последний раз в \\d.*\\d\\.$")))
        << watch_->status_line->text().toStdString();
    EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::max_column));
    EXPECT_EQ(samples + 1, watch_->history().size());
    EXPECT_TRUE(watch_->timer()->isActive());
    watch_->StopClick();
    start_watch();
    EXPECT_TRUE(watch_->status_line->text().endsWith(" Значения получены."));

    // The sample's record, made on its thread, reaches the log before the record of a
    // request the window makes after it.
    watch_->StopClick();
    tick();
    vx::read_controller_version(context_->connection());
    settle_events();
    const auto& records = context_->exchange_log().records();
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ("read_variables", records[records.size() - 2].operation);
    EXPECT_EQ("read_controller_version", records.back().operation);
}

// A value typed into a row after a double-click is written to its variable and shown
// in the row's format, read back at once while sampling is stopped; a value out of range,
// another operation running or a lost controller gives its box and writes nothing.
TEST_F(WatchAgainstSimulator, AValueTypedInARowIsWrittenAndShownInItsFormat) {
    start();
    watch_->add_variables({700});
    const auto variable = [this] {
        return state([](sim::ControllerState& s) { return s.variables()[700]; });
    };
    const auto type_value = [this](const QString& text) {
        ui::WatchListView& view = *watch_->watch_list;
        const QPoint at = view.visualRect(view.model()->index(0, Watch::value_column)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
        auto* editor = view.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(nullptr, editor);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);  // commits at the next event processing
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the editor
    };
    watch_->watch_list->selectRow(0);
    watch_->watch_list->format_menu()->actions()[1]->trigger();  // "Со знаком"
    type_value("-1");
    EXPECT_EQ(65535, variable());
    EXPECT_TRUE(prompts_.messages().isEmpty());
    // Sampling stopped: one read-back shows it at once; sampling on: the next sample does.
    watch_->finish_sample();
    EXPECT_EQ("-1", cell(0, Watch::value_column));
    EXPECT_EQ("var[700] := -1 записано и прочитано.", watch_->status_line->text());
    watch_->interval_box->setValue(60);  // no tick of the timer's own in between
    start_watch();
    type_value("-2");
    EXPECT_EQ("-1", cell(0, Watch::value_column));
    tick();
    EXPECT_EQ("-2", cell(0, Watch::value_column));
    watch_->StopClick();
    type_value("-1");
    watch_->finish_sample();
    EXPECT_EQ("-1", cell(0, Watch::value_column));
    EXPECT_EQ("-2", cell(0, Watch::min_column));
    watch_->watch_list->format_menu()->actions()[2]->trigger();  // "Шестн."
    EXPECT_EQ("FFFF", cell(0, Watch::max_column));
    watch_->watch_list->format_menu()->actions()[0]->trigger();  // "Без знака"
    EXPECT_EQ("65535", cell(0, Watch::value_column));

    std::optional<ui::LongOperation> other;
    const std::pair<const char*, std::function<void()>> refused[] = {
        {"65536", [] {}},
        {"7", [&] { other.emplace(*context_); }},
        {"8", [&] { other.reset(), sim_.reset(); }},
    };
    for (const auto& [text, before] : refused) {
        before();
        const uint16_t now = sim_ ? variable() : 0;
        type_value(text);
        EXPECT_EQ(now, sim_ ? variable() : 0) << text;
    }
    EXPECT_EQ((QStringList{"Значение должно быть от 0 до 65535.",
                           "Выполняется другая операция с контроллером. Запишите значение "
                           "после её окончания.",
                           "Произошла ошибка."}),
              prompts_.messages());
}

// Enter in the number field does what "Добавить" does, once; the notes add what they
// name; a list saved comes back, a damaged one changes nothing; Delete and Tab.
TEST_F(WatchAgainstSimulator, NamedListsNotesAndTheTablesKeys) {
    start();
    for (const char* typed : {"abc", "700"}) {
        watch_->number_edit->setText(typed);
        QTest::keyClick(watch_->number_edit, Qt::Key_Return);
    }
    EXPECT_EQ(QStringList{"Номер переменной должен быть числом от 0 до 1023."},
              prompts_.messages());
    EXPECT_EQ(std::vector<int>{700}, watch_->variables());

    const auto notes = dir_.write("site.prg.tag", std::string_view("#var[12] Б\r\n#var[3] А\r\n"
                                                                   "#var[700] Уставка\r\n"));
    prompts_.answer_file(QString::fromStdString(notes.string()));
    watch_->notes_all_button->click();
    EXPECT_EQ((std::vector<int>{700, 3, 12}), watch_->variables());
    EXPECT_EQ("А", cell(1, Watch::name_column));
    EXPECT_EQ("", cell(0, Watch::name_column));  // a listed row keeps its name
    EXPECT_EQ("Из заметок добавлено переменных: 2, уже были в списке: 1.",
              watch_->status_line->text());

    watch_->watch_list->selectRow(2);
    watch_->watch_list->set_format_of_selected(commissioning::ValueFormat::hex);
    const QString saved = path("site.vxw");
    prompts_.answer_file(saved);
    watch_->save_list_button->click();
    watch_->watch_list->selectRow(0);
    QTest::keyClick(watch_->watch_list, Qt::Key_Delete);
    EXPECT_EQ((std::vector<int>{3, 12}), watch_->variables());

    const auto bad = dir_.write("bad.vxw", std::string_view("vx-watch-list;1\r\n3;hex;0;\r\n"
                                                            "5;bin;0;x\r\n"));
    prompts_.answer_file(QString::fromStdString(bad.string()));
    watch_->open_list_button->click();
    EXPECT_EQ("Файл " + QString::fromStdString(bad.string()) +
                  ", строка 3: формат «bin» не один из unsigned, signed, hex. Список "
                  "наблюдения не изменён.",
              prompts_.messages().back());
    EXPECT_EQ((std::vector<int>{3, 12}), watch_->variables());
    prompts_.answer_file(saved);
    watch_->open_list_button->click();
    EXPECT_EQ((std::vector<int>{700, 3, 12}), watch_->variables());
    EXPECT_EQ("Б", cell(2, Watch::name_column));
    EXPECT_EQ(commissioning::ValueFormat::hex, watch_->list().rows()[2].format);

    watch_->watch_list->setFocus();
    QTest::keyClick(watch_->watch_list, Qt::Key_Tab);
    EXPECT_NE(watch_->watch_list, watch_->focusWidget());
}

}  // namespace
}  // namespace vx::test
