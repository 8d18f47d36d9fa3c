// The X10 dialog: three pages of 16 x 16 grids, a refresh of the page shown
// and a change of one entry, over the main window's serial port.
#include "dialogs/Controller_x10_properties_f.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/string_grid.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

const QString kNoAnswer = QStringLiteral("Нет ответа от контроллера.");
const QString kReacts = QStringLiteral("Да");

QString house_letter(int house) {
    return QString(QChar(u'A' + house));
}

QComboBox* make_selector(const QString& name, const QStringList& items) {
    auto* selector = new QComboBox;
    selector->setObjectName(name);
    selector->addItems(items);  // not editable: only these items
    selector->setCurrentIndex(0);
    return selector;
}

}  // namespace

bool x10_table_answered(const X10Table& table) {
    return table[0] != vx::kX10TableIncomplete;
}

void set_up_x10_grid(StringGrid& grid) {
    grid.set_default_col_width(45);
    grid.set_row_height(16);
    for (int house = 0; house < kX10Houses; ++house) {
        grid.set_cell(house + 1, 0, house_letter(house));
    }
    for (int key = 0; key < kX10Keys; ++key) {
        grid.set_cell(0, key + 1, QString::number(key + 1));
    }
}

void show_x10_table(StringGrid& grid, const X10Table& table) {
    for (int house = 0; house < kX10Houses; ++house) {
        for (int key = 0; key < kX10Keys; ++key) {
            const bool reacts = table[house * kX10Keys + key] != 0;
            grid.set_cell(house + 1, key + 1, reacts ? kReacts : QString());
        }
    }
}

Tcontroller_x10_properties::Tcontroller_x10_properties(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("controller_x10_properties"));
    setFont(program_font());  // the main window's, so that the grids' widths fit
    setWindowTitle(QStringLiteral("Информация контроллера о модулях X10"));
    build_layout();
    FormCreate();
    resize(820, 470);
}

void Tcontroller_x10_properties::build_layout() {
    QStringList houses;
    QStringList keys;
    for (int i = 0; i < kX10Houses; ++i) {
        houses << house_letter(i);
        keys << QString::number(i + 1);
    }
    house_cb = make_selector(QStringLiteral("house_cb"), houses);
    key_cb = make_selector(QStringLiteral("key_cb"), keys);
    state_cb = make_selector(QStringLiteral("state_cb"), {QStringLiteral("Нет"), kReacts});
    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Изменить"));
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Обновить информацию"));

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Изменение параметров:")), 0, 0);
    int col = 1;
    for (const auto& [caption, selector] :
         {std::pair{QStringLiteral("House:"), house_cb}, std::pair{QStringLiteral("Key:"), key_cb},
          std::pair{QStringLiteral("Состояние"), state_cb}}) {
        auto* label = new QLabel(caption);
        label->setBuddy(selector);
        top->addWidget(label, 0, col++);
        top->addWidget(selector, 0, col++);
    }
    top->addWidget(Button1, 0, col);
    top->addWidget(Button2, 1, 0);
    top->setColumnStretch(col + 1, 1);

    pc = new QTabWidget;
    pc->setObjectName(QStringLiteral("pc"));
    const struct {
        const char* name;
        QString caption;
        StringGrid*& grid;
    } pages[kX10TableCount] = {{"auoff_sg", QStringLiteral("All Units Off"), auoff_sg},
                               {"alon_sg", QStringLiteral("All Lights On"), alon_sg},
                               {"aloff_sg", QStringLiteral("All Lights Off"), aloff_sg}};
    for (const auto& page : pages) {
        page.grid = new StringGrid(kX10Houses + 1, kX10Keys + 1, 1, 1);
        page.grid->setObjectName(QLatin1String(page.name));
        pc->addTab(page.grid, page.caption);
    }
    pc->setCurrentIndex(0);

    hint = new QLabel(
        QStringLiteral("Подсказка: Используя данную страницу можно указать контроллеру модули "
                       "X10, которые реагируют на групповые команды.  Это позволит контроллеру "
                       "более точно отображать состояние устройств."));
    hint->setObjectName(QStringLiteral("hint"));
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pc, 1);
    layout->addWidget(hint);

    connect(Button1, &QPushButton::clicked, this, &Tcontroller_x10_properties::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tcontroller_x10_properties::Button2Click);
}

void Tcontroller_x10_properties::FormCreate() {
    for (int table = 0; table < kX10TableCount; ++table) {
        set_up_x10_grid(*table_grid(table));
    }
}

StringGrid* Tcontroller_x10_properties::table_grid(int table) const {
    const std::array<StringGrid*, kX10TableCount> grids = {auoff_sg, alon_sg, aloff_sg};
    return grids.at(static_cast<std::size_t>(table));
}

void Tcontroller_x10_properties::Button2Click() {
    const int table = pc->currentIndex();
    X10Table entries{};
    {
        WaitCursor wait;
        entries = vx::x10_read_table(context_.serial_port(), table);
    }
    if (!x10_table_answered(entries)) {
        prompts_.error(kNoAnswer);
        return;
    }
    show_x10_table(*table_grid(table), entries);
}

void Tcontroller_x10_properties::Button1Click() {
    int result = 0;
    {
        WaitCursor wait;
        vx::SerialPort* port = context_.serial_port();
        result = vx::x10_set_entry(port, pc->currentIndex(), house_cb->currentIndex(),
                                   key_cb->currentIndex(), state_cb->currentIndex());
        if (result == 0) {
            // Makes the controller keep the change; its answer tells nothing more.
            vx::serial_commit_settings(port);
        }
    }
    if (result != 0) {
        prompts_.error(kNoAnswer);
    }
}

}  // namespace vx::ui
