// The watch chart's own controls under it: the scale ("Нормировать"), the freeze,
// "Вся история", "Сохранить как PNG...", what the view shows and what the cursor reads.
#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QImage;
class QLabel;
class QPushButton;

namespace vx::ui {

class UserPrompts;
class WatchChart;

// Writes the picture as a PNG file at path, the old file replaced only by a whole new
// one. Returns "" on success, else the error text for the user.
QString save_png(const QImage& image, const QString& path);

class WatchChartBar : public QWidget {
public:
    WatchChartBar(WatchChart& chart, UserPrompts& prompts, QWidget* parent);

    void SaveClick();  // "Сохранить как PNG...": the chart as drawn

    QCheckBox* normalise_box = nullptr;     // "Нормировать"
    QPushButton* freeze_button = nullptr;   // "Заморозить", checked while frozen
    QPushButton* history_button = nullptr;  // "Вся история"
    QPushButton* save_button = nullptr;
    QLabel* view_line = nullptr;     // what the chart shows: live, all, or frozen from–to
    QLabel* reading_line = nullptr;  // the cursor's time and values
    QLabel* saved_line = nullptr;    // where the last picture went

private:
    void show_view();

    WatchChart& chart_;
    UserPrompts& prompts_;
};

}  // namespace vx::ui
