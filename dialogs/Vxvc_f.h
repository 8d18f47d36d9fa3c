// The voice module dialog: plays or records one message of a voice module.
#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

class TVXVC : public QDialog {
    Q_OBJECT
public:
    explicit TVXVC(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();
    // 0 "Воспроизвести", 1 "Записать".
    int command() const;

    QSpinBox* ud1 = nullptr;      // module address
    QSpinBox* ud2 = nullptr;      // message 0..32
    QRadioButton* rb1 = nullptr;  // "Воспроизвести"
    QRadioButton* rb2 = nullptr;  // "Записать"
    QPushButton* Button1 = nullptr;

private:
    WindowContext& context_;
};

}  // namespace vx::ui
