// The module parameters dialog: the grid of 256 parameters, read all with a
// stop button, read one and set one.
#include "dialogs/Unit_params_f.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/string_grid.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

constexpr int kParametersPerRow = 16;
constexpr int kParameterRows = kModuleParameterCount / kParametersPerRow;
constexpr int kStatusF8 = -8;  // the module answered the set with status 0xF8
const QString kFailedCell = QStringLiteral("Err");

}  // namespace

int parameter_of_cell(int col, int row) {
    return ((row - 1) * kParametersPerRow + (col - 1)) % kModuleParameterCount;
}

std::pair<int, int> cell_of_parameter(int parameter) {
    return {parameter % kParametersPerRow + 1, parameter / kParametersPerRow + 1};
}

QString parameter_row_header(int row) {
    const int first = (row - 1) * kParametersPerRow;
    // "Парамеры" is how the controller's tools have always spelt this header.
    return QStringLiteral("Парамеры (%1-%2)").arg(first).arg(first + kParametersPerRow - 1);
}

QString selected_parameter_text(int parameter) {
    return QStringLiteral("Параметр[%1]").arg(parameter);
}

ReadAllEnd read_all_parameters(const std::function<int(int)>& read,
                               const std::function<void(int, const QString&)>& show,
                               const bool& stop, const std::function<void()>& process_events) {
    for (int parameter = 0; parameter < kModuleParameterCount; ++parameter) {
        if (stop) {
            return ReadAllEnd::stopped;
        }
        const int value = read(parameter);
        if (value < 0) {
            show(parameter, kFailedCell);
            return ReadAllEnd::failed;
        }
        show(parameter, QString::number(value));
        process_events();
    }
    return stop ? ReadAllEnd::stopped : ReadAllEnd::finished;
}

SetParameterOutcome set_parameter_outcome(int result) {
    if (result == vx::kDone) {
        return SetParameterOutcome::read_back;
    }
    // 0xF8 is the module's own refusal, which it reports itself: nothing to add.
    return result == kStatusF8 ? SetParameterOutcome::nothing : SetParameterOutcome::report_error;
}

Tunit_params::Tunit_params(WindowContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      connection_(context.connection()),
      prompts_(context.prompts()) {
    setObjectName(QStringLiteral("unit_params"));
    setFont(program_font());  // the main window's, so that the grids' widths fit
    setWindowTitle(QStringLiteral("Параметры модуля VX и Kordel"));
    build_layout();
    FormCreate();
    resize(880, 420);
}

void Tunit_params::build_layout() {
    auto* top = new QHBoxLayout;

    auto* module = new QGridLayout;
    const SpinnerRow address =
        add_spinner_row(*module, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1, 128, 1,
                        QStringLiteral("Запросить"), QStringLiteral("Button1"));
    ud1 = address.spinner;
    Button1 = address.button;
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Стоп"));
    module->addWidget(Button2, module->rowCount(), 2);
    top->addLayout(module);

    // A titled group of spinner rows beside the others in the top panel.
    auto add_group = [top](const char* name, const QString& caption) {
        auto* box = new QGroupBox(caption);
        box->setObjectName(QLatin1String(name));
        top->addWidget(box);
        return new QGridLayout(box);
    };
    QGridLayout* get = add_group("GroupBox1", QStringLiteral("Получение параметра"));
    const SpinnerRow get_row =
        add_spinner_row(*get, QStringLiteral("Номер параметра"), QStringLiteral("ud2"), 0, 255, 0,
                        QStringLiteral("Запросить"), QStringLiteral("Button3"));
    ud2 = get_row.spinner;
    Button3 = get_row.button;

    QGridLayout* set = add_group("GroupBox2", QStringLiteral("Изменение параметра"));
    ud3 = add_spinner_row(*set, QStringLiteral("Номер параметра"), QStringLiteral("ud3"), 0, 255, 0)
              .spinner;
    const SpinnerRow value_row =
        add_spinner_row(*set, QStringLiteral("Значение"), QStringLiteral("ud4"), 0, 255, 0,
                        QStringLiteral("Установить"), QStringLiteral("Button4"));
    ud4 = value_row.spinner;
    Button4 = value_row.button;
    top->addStretch(1);

    sg1 = new StringGrid(kParametersPerRow + 1, kParameterRows + 1, 1, 1);
    sg1->setObjectName(QStringLiteral("sg1"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sg1, 1);

    connect(Button1, &QPushButton::clicked, this, &Tunit_params::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tunit_params::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tunit_params::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tunit_params::Button4Click);
    connect(sg1, &StringGrid::cell_selected, this, &Tunit_params::sg1SelectCell);
}

void Tunit_params::FormCreate() {
    sg1->set_default_col_width(44);
    sg1->set_row_height(16);
    sg1->set_col_width(0, 128);
    for (int row = 1; row <= kParameterRows; ++row) {
        sg1->set_cell(0, row, parameter_row_header(row));
    }
}

void Tunit_params::show_parameter(int parameter, const QString& text) {
    const auto [col, row] = cell_of_parameter(parameter);
    sg1->set_cell(col, row, text);
}

void Tunit_params::Button1Click() {
    const LongOperation long_operation(context_);
    stop_ = false;
    Button1->setEnabled(false);
    for (int parameter = 0; parameter < kModuleParameterCount; ++parameter) {
        show_parameter(parameter, QString());
    }
    const int module = ud1->value();
    const ReadAllEnd end = read_all_parameters(
        [&](int parameter) { return vx::read_module_parameter(connection_, module, parameter); },
        [this](int parameter, const QString& text) { show_parameter(parameter, text); }, stop_,
        [] { QCoreApplication::processEvents(); });
    Button1->setEnabled(true);
    if (end == ReadAllEnd::failed) {
        stop_ = true;
        prompts_.message(PromptIcon::error, QStringLiteral("Error"),
                         QStringLiteral("Произошла ошибка при опросе параметров модуля. "
                                        "Операция прервана."));
    }
}

void Tunit_params::Button2Click() {
    stop_ = true;
}

void Tunit_params::read_one(int parameter) {
    WaitCursor wait;
    const int value = vx::read_module_parameter(connection_, ud1->value(), parameter);
    show_parameter(parameter, value < 0 ? kFailedCell : QString::number(value));
}

void Tunit_params::Button3Click() {
    read_one(ud2->value());
}

void Tunit_params::Button4Click() {
    int result = 0;
    {
        WaitCursor wait;
        result = vx::write_module_parameter(connection_, ud1->value(), ud3->value(), ud4->value());
    }
    switch (set_parameter_outcome(result)) {
        case SetParameterOutcome::read_back:
            // Reads the parameter of the read group: selecting a cell sets both groups alike.
            read_one(ud2->value());
            break;
        case SetParameterOutcome::nothing:
            break;
        case SetParameterOutcome::report_error:
            prompts_.error(QStringLiteral("Ошибка установки параметра."));
            break;
    }
}

void Tunit_params::sg1SelectCell(int col, int row) {
    const int parameter = parameter_of_cell(col, row);
    sg1->set_cell(0, 0, selected_parameter_text(parameter));
    ud2->setValue(parameter);
    ud3->setValue(parameter);
}

void Tunit_params::done(int result) {
    stop_ = true;
    QDialog::done(result);
}

}  // namespace vx::ui
