// The about box.
#include "dialogs/AboutBox_f.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/dialog_controls.h"
#include "ui/program_version.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));  // navy
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

namespace {

QLabel* add_pair(QGridLayout& grid, const QString& caption, const QString& caption_name,
                 QLabel* value, const QString& value_name) {
    const int row = grid.rowCount();
    auto* label = new QLabel(caption);
    label->setObjectName(caption_name);
    value->setObjectName(value_name);
    value->setTextInteractionFlags(value->textInteractionFlags() | Qt::TextSelectableByMouse);
    grid.addWidget(label, row, 0);
    grid.addWidget(value, row, 1);
    return value;
}

}  // namespace

TAboutBox::TAboutBox(WindowContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));

    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(panel);
    grid->setColumnStretch(1, 1);
    ProductName = add_pair(*grid, QStringLiteral("Название программы:"), QStringLiteral("Label1"),
                           new QLabel(QStringLiteral("Vesta VX Configurator")),
                           QStringLiteral("ProductName"));
    Version = add_pair(*grid, QStringLiteral("Версия программы:"), QStringLiteral("Label3"),
                       new QLabel(file_version_text(QCoreApplication::applicationFilePath())),
                       QStringLiteral("Version"));
    Label2 = add_pair(*grid, QStringLiteral("Версия контроллера:"), QStringLiteral("Label4"),
                      new QLabel(kNoVersionText), QStringLiteral("Label2"));
    Label6 = add_pair(*grid, QStringLiteral("Версия бибилиотеки:"), QStringLiteral("Label5"),
                      new QLabel(kNoVersionText), QStringLiteral("Label6"));

    auto* comments =
        new QLabel(QStringLiteral("Программа предназначена для настройки центрального контроллера "
                                  "системы автоматизации Vesta VX."));
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    grid->addWidget(comments, grid->rowCount(), 0, 1, 2);
    Label8 = new LinkLabel(kHomePageText);
    add_pair(*grid, QStringLiteral("Домашняя страница:"), QStringLiteral("Label7"), Label8,
             QStringLiteral("Label8"));
    Label10 = new LinkLabel(kEmailAddress);
    add_pair(*grid, QStringLiteral("E-mail:"), QStringLiteral("Label9"), Label10,
             QStringLiteral("Label10"));

    OKButton = make_button(QStringLiteral("OKButton"), QStringLiteral("OK"));
    OKButton->setDefault(true);  // Enter; Esc closes the box as well

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setMinimumWidth(360);

    connect(Label8, &LinkLabel::clicked, this, &TAboutBox::Label8Click);
    connect(Label10, &LinkLabel::clicked, this, &TAboutBox::Label10Click);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::Label8Click() {
    // Nothing to report when no browser takes it: the address stands on the label.
    context_.prompts().open_with_desktop(QUrl(kHomePageAddress));
}

void TAboutBox::Label10Click() {
    context_.prompts().open_with_desktop(QUrl(QStringLiteral("mailto:") + kEmailAddress));
}

}  // namespace vx::ui
