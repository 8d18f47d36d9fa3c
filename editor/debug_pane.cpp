// DebugPane: the tabs and how the session's state fills them.
#include "editor/debug_pane.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editor/debug_controller.h"

namespace vx::ui {

namespace {

const QColor kChangedColour(0xFF, 0xE8, 0xC0);
const QString kChangedMark = QStringLiteral("●");

QTableWidgetItem* fixed_item(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString points_text(unsigned bits, int first, int count) {
    QString text;
    for (int point = first; point < first + count; ++point) {
        text += (bits >> (point - first)) & 1U ? QLatin1Char('1') : QLatin1Char('0');
    }
    return text;
}

}  // namespace

DebugPane::DebugPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("debug_pane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);

    auto* page = new QWidget;
    auto* page_layout = new QVBoxLayout(page);
    page_layout->setContentsMargins(2, 2, 2, 2);
    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("debug_filter"));
    filter_->setPlaceholderText(QStringLiteral("Фильтр: номер или имя"));
    filter_->setClearButtonEnabled(true);
    variables_ = new QTableWidget(0, 5);
    variables_->setObjectName(QStringLiteral("debug_variables"));
    variables_->setHorizontalHeaderLabels({QString(), QStringLiteral("№"), QStringLiteral("Имя"),
                                           QStringLiteral("Значение"), QStringLiteral("Удерж.")});
    variables_->verticalHeader()->hide();
    variables_->setWordWrap(false);
    variables_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    variables_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    variables_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    variables_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed);
    variables_->setSelectionBehavior(QAbstractItemView::SelectRows);
    page_layout->addWidget(filter_);
    page_layout->addWidget(variables_, 1);
    tabs_->addTab(page, QStringLiteral("Переменные"));

    forces_ = new QListWidget;
    forces_->setObjectName(QStringLiteral("debug_forces"));
    tabs_->addTab(forces_, QStringLiteral("Удержания"));
    modules_ = new QTableWidget(0, 5);
    modules_->setObjectName(QStringLiteral("debug_modules"));
    modules_->setHorizontalHeaderLabels({QStringLiteral("Адрес"), QStringLiteral("Тип"),
                                         QStringLiteral("Имя"), QStringLiteral("Входы 0-15"),
                                         QStringLiteral("Выходы 8-15")});
    modules_->verticalHeader()->hide();
    modules_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabs_->addTab(modules_, QStringLiteral("Модули"));
    log_ = new QPlainTextEdit;
    log_->setObjectName(QStringLiteral("debug_log"));
    log_->setReadOnly(true);
    tabs_->addTab(log_, QStringLiteral("Сообщения"));

    connect(filter_, &QLineEdit::textChanged, this, [this] { apply_filter(); });
    connect(variables_, &QTableWidget::itemChanged, this, &DebugPane::item_changed);
}

void DebugPane::show_state(const DebugController& controller,
                           const std::map<int, std::string>& names) {
    const debugger::Session* session = controller.session();
    if (session == nullptr) {
        return;
    }
    filling_ = true;
    variables_->setEnabled(true);
    const std::vector<int>& used = session->program().variables_used();
    variables_->setRowCount(static_cast<int>(used.size()));
    for (int row = 0; row < static_cast<int>(used.size()); ++row) {
        const int number = used[static_cast<std::size_t>(row)];
        const auto name = names.find(number);
        const bool changed = controller.changed(number);
        const bool forced = session->variable_forced(number);
        variables_->setItem(row, kMarkColumn, fixed_item(changed ? kChangedMark : QString()));
        variables_->setItem(row, kNumberColumn, fixed_item(QString::number(number)));
        variables_->setItem(
            row, kNameColumn,
            fixed_item(name == names.end() ? QString() : QString::fromStdString(name->second)));
        variables_->setItem(row, kValueColumn,
                            new QTableWidgetItem(QString::number(
                                session->variables()[static_cast<std::size_t>(number)])));
        auto* force = fixed_item(forced ? QStringLiteral("удерж.") : QString());
        force->setFlags(force->flags() | Qt::ItemIsUserCheckable);
        force->setCheckState(forced ? Qt::Checked : Qt::Unchecked);
        variables_->setItem(row, kForceColumn, force);
        for (int column = 0; column < variables_->columnCount(); ++column) {
            variables_->item(row, column)
                ->setBackground(changed ? QBrush(kChangedColour) : QBrush());
        }
    }
    apply_filter();

    forces_->clear();
    for (const debugger::Force& force : session->forces()) {
        QString text;
        if (force.target == debugger::ForceTarget::variable) {
            const auto name = names.find(force.number);
            text = QStringLiteral("var[%1] = %2").arg(force.number).arg(force.value);
            if (name != names.end()) {
                text +=
                    QStringLiteral("  (") + QString::fromStdString(name->second) + QLatin1Char(')');
            }
        } else {
            text = QStringLiteral("модуль %1, %2 %3 = %4")
                       .arg(force.number)
                       .arg(force.target == debugger::ForceTarget::module_input
                                ? QStringLiteral("вход")
                                : QStringLiteral("выход"))
                       .arg(force.point)
                       .arg(force.value);
        }
        forces_->addItem(text);
    }

    const std::vector<debugger::ModuleRow> modules = session->module_rows();
    modules_->setRowCount(static_cast<int>(modules.size()));
    for (int row = 0; row < static_cast<int>(modules.size()); ++row) {
        const debugger::ModuleRow& module = modules[static_cast<std::size_t>(row)];
        modules_->setItem(row, 0, fixed_item(QString::number(module.address)));
        modules_->setItem(row, 1, fixed_item(QString::fromStdString(module.kind)));
        modules_->setItem(row, 2, fixed_item(QString::fromStdString(module.name)));
        modules_->setItem(row, 3,
                          fixed_item(points_text(module.inputs, 0, module.discrete ? 8 : 16)));
        modules_->setItem(
            row, 4, fixed_item(module.discrete ? points_text(module.outputs, 8, 8) : QString()));
    }
    filling_ = false;
}

void DebugPane::show_running() {
    variables_->setEnabled(false);
}

void DebugPane::add_log(const QString& text) {
    log_->appendPlainText(text);
}

void DebugPane::clear_log() {
    log_->clear();
}

int DebugPane::row_of(int number) const {
    for (int row = 0; row < variables_->rowCount(); ++row) {
        if (variables_->item(row, kNumberColumn)->text().toInt() == number) {
            return row;
        }
    }
    return -1;
}

void DebugPane::apply_filter() {
    const QString filter = filter_->text().trimmed();
    for (int row = 0; row < variables_->rowCount(); ++row) {
        const bool shown =
            filter.isEmpty() || variables_->item(row, kNumberColumn)->text() == filter ||
            variables_->item(row, kNameColumn)->text().contains(filter, Qt::CaseInsensitive);
        variables_->setRowHidden(row, !shown);
    }
}

void DebugPane::item_changed(QTableWidgetItem* item) {
    if (filling_) {
        return;
    }
    const int number = variables_->item(item->row(), kNumberColumn)->text().toInt();
    const QString value_text = variables_->item(item->row(), kValueColumn)->text().trimmed();
    bool ok = false;
    const uint value = value_text.toUInt(&ok);
    const bool valid = ok && value <= 0xFFFF;
    if (item->column() == kValueColumn && valid) {
        emit value_entered(number, static_cast<uint16_t>(value));
    } else if (item->column() == kForceColumn) {
        emit force_changed(number, item->checkState() == Qt::Checked && valid
                                       ? std::optional<uint16_t>(static_cast<uint16_t>(value))
                                       : std::nullopt);
    }
}

}  // namespace vx::ui
