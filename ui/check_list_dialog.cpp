// The check-list dialog: the text, a box per item, the note, then the buttons.
#include "ui/check_list_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx::ui {

CheckListDialog::CheckListDialog(const CheckListRequest& request, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CheckListDialog"));
    setWindowTitle(request.caption);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(request.text, this);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);
    for (qsizetype i = 0; i < request.items.size(); ++i) {
        auto* box = new QCheckBox(request.items[i], this);
        box->setObjectName(QStringLiteral("item%1").arg(i));
        box->setChecked(i < request.checked.size() && request.checked[i]);
        layout->addWidget(box);
        boxes << box;
    }
    if (!request.note.isEmpty()) {
        auto* note = new QLabel(request.note, this);
        note->setObjectName(QStringLiteral("note"));
        note->setTextFormat(Qt::PlainText);
        note->setWordWrap(true);
        layout->addSpacing(6);
        layout->addWidget(note);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    accept_button = buttons->addButton(request.accept_text, QDialogButtonBox::AcceptRole);
    accept_button->setObjectName(QStringLiteral("accept_button"));
    accept_button->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QList<bool> CheckListDialog::checked() const {
    QList<bool> states;
    for (const QCheckBox* box : boxes) {
        states << box->isChecked();
    }
    return states;
}

}  // namespace vx::ui
