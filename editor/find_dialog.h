// The editor's small find dialog: a search text and a find-next button, not modal.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vx::ui {

class FindDialog final : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent);

    // The search text; it stays between showings for the whole run.
    QString find_text() const;
    void set_find_text(const QString& text);

    QLineEdit* FindEdit = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* CloseButton = nullptr;

signals:
    // The user asked for the next occurrence of text.
    void find_requested(const QString& text);
};

}  // namespace vx::ui
