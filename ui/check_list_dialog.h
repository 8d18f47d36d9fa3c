// A modal list of check boxes: what an operation will include, for the user to narrow
// before it runs (the support report's sections).
#pragma once

#include <QDialog>
#include <QList>

#include "ui/user_prompts.h"

class QCheckBox;
class QPushButton;

namespace vx::ui {

class CheckListDialog : public QDialog {
    Q_OBJECT
public:
    explicit CheckListDialog(const CheckListRequest& request, QWidget* parent = nullptr);

    QList<bool> checked() const;

    QList<QCheckBox*> boxes;  // "item0", "item1", ... in the request's order
    QPushButton* accept_button = nullptr;
};

}  // namespace vx::ui
