// FindDialog: layout and the find-next request.
#include "editor/find_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/dialog_controls.h"

namespace vx::ui {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Найти"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Образец:"), this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setMinimumWidth(220);
    label->setBuddy(FindEdit);
    FindNextButton =
        make_button(QStringLiteral("FindNextButton"), QStringLiteral("Найти далее"), this);
    FindNextButton->setDefault(true);
    CloseButton = make_button(QStringLiteral("CloseButton"), QStringLiteral("Закрыть"), this);
    auto* note = new QLabel(QStringLiteral("Поиск вперёд от курсора, с учётом регистра."), this);
    note->setEnabled(false);
    grid->addWidget(label, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(FindNextButton, 0, 2);
    grid->addWidget(note, 1, 0, 1, 2);
    grid->addWidget(CloseButton, 1, 2);
    setFixedSize(sizeHint());

    connect(FindNextButton, &QPushButton::clicked, this,
            [this] { emit find_requested(FindEdit->text()); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::hide);
}

QString FindDialog::find_text() const {
    return FindEdit->text();
}

void FindDialog::set_find_text(const QString& text) {
    FindEdit->setText(text);
}

}  // namespace vx::ui
