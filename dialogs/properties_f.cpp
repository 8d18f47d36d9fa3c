// The program settings dialog.
#include "dialogs/properties_f.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include "serial/Cportfunc.h"
#include "ui/dialog_controls.h"
#include "ui/settings.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {
constexpr int kHighestPortNumber = 20;
}  // namespace

QString port_list_text(const std::vector<int>& numbers) {
    QStringList names;
    for (int n : numbers) {
        names << QStringLiteral("COM%1").arg(n);
    }
    return QStringLiteral("Порты в системе: ") +
           (names.isEmpty() ? QStringLiteral("нет") : names.join(QStringLiteral(", ")));
}

Tproperties::Tproperties(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("properties"));
    setWindowTitle(QStringLiteral("Настройки программы"));

    auto* grid = new QGridLayout;
    ud = add_spinner_row(*grid, QStringLiteral("Номер порта"), QStringLiteral("ud"), 1,
                         kHighestPortNumber, 1)
             .spinner;
#ifdef Q_OS_WIN
    ud->setPrefix(QStringLiteral("COM"));  // the port as Windows names it
#endif
    ports_label = new QLabel;
    ports_label->setObjectName(QStringLiteral("ports_label"));
    grid->addWidget(ports_label, grid->rowCount(), 0, 1, grid->columnCount());

    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("OK"));
    Button1->setDefault(true);  // Enter
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Cancel"));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(Button1, QDialogButtonBox::AcceptRole);
    buttons->addButton(Button2, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &Tproperties::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tproperties::Button2Click);
}

void Tproperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        shown_value_ = ud->value();
        ports_label->setText(port_list_text(vx::serial_port_numbers()));  // adapters come and go
    }
}

void Tproperties::Button1Click() {
    const int number = ud->value();
    QSettings& settings = context_.settings();
    settings.setValue(kComPortNumberKey, number);
    settings.sync();  // at once: the file is read back at the next start
    if (settings.status() != QSettings::NoError) {
        context_.prompts().error(QStringLiteral("Не удалось записать настройки в файл ") +
                                 context_.settings_path() + QStringLiteral("."));
        return;
    }
    shown_value_ = number;
    if (!context_.reopen_serial_port(number)) {
        context_.prompts().message(
            PromptIcon::warning, kCaptionWarning,
            QStringLiteral("Номер порта сохранен, но последовательный порт открыть не удалось.\n"
                           "Команды, передаваемые по последовательному порту, "
                           "выполняться не будут."));
    }
    accept();
}

void Tproperties::Button2Click() {
    reject();
}

void Tproperties::reject() {
    // Nothing was written: the spinner goes back to the value it opened with.
    ud->setValue(shown_value_);
    QDialog::reject();
}

}  // namespace vx::ui
