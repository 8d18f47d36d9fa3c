// A status bar made of panels with fixed widths, addressed by index.
#pragma once

#include <QStatusBar>
#include <QVector>

class QLabel;

namespace vx::ui {

class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget* parent = nullptr);

    // Appends a panel; returns its index. A stretching panel takes the width
    // left over (at least width).
    int add_panel(int width, const QString& text = {}, bool stretch = false);
    int panel_count() const { return static_cast<int>(panels_.size()); }
    QString panel_text(int index) const;
    void set_panel_text(int index, const QString& text);
    // Paints the bar at once, for a text that must be seen while a request blocks.
    void repaint_now();

private:
    QVector<QLabel*> panels_;
};

}  // namespace vx::ui
