// PanelStatusBar: one sunken label per panel.
#include "ui/panel_status_bar.h"

#include <QLabel>

namespace vx::ui {

PanelStatusBar::PanelStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

int PanelStatusBar::add_panel(int width, const QString& text, bool stretch) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("panel%1").arg(panels_.size()));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    if (stretch) {
        label->setMinimumWidth(width);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    } else {
        label->setFixedWidth(width);
    }
    addWidget(label, stretch ? 1 : 0);
    panels_.append(label);
    return static_cast<int>(panels_.size()) - 1;
}

QString PanelStatusBar::panel_text(int index) const {
    return index >= 0 && index < panels_.size() ? panels_[index]->text() : QString();
}

void PanelStatusBar::set_panel_text(int index, const QString& text) {
    if (index >= 0 && index < panels_.size()) {
        panels_[index]->setText(text);
    }
}

void PanelStatusBar::repaint_now() {
    repaint();
}

}  // namespace vx::ui

#include "moc_panel_status_bar.cpp"
