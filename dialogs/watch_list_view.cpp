// WatchListView: the rows' keys, context menu, value writes and list files.
#include "dialogs/watch_list_view.h"

#include <algorithm>

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>

#include "commissioning/controller_texts.h"
#include "commissioning/watch_list.h"
#include "commissioning/watch_list_file.h"
#include "dialogs/watch_window.h"
#include "dialogs/watch_window_model.h"
#include "notes/variable_names.h"
#include "ui/user_prompts.h"
#include "ui/wait_cursor.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

const QString kListFilter = QStringLiteral("Список наблюдения (*.vxw)|*.vxw|Все файлы (*.*)|*.*");

struct FormatChoice {
    cm::ValueFormat format;
    const char* text;
};
const FormatChoice kFormats[] = {{cm::ValueFormat::unsigned_decimal, "Без знака"},
                                 {cm::ValueFormat::signed_decimal, "Со знаком"},
                                 {cm::ValueFormat::hex, "Шестн."}};

}  // namespace

std::optional<std::map<int, std::string>> ask_notes_names(UserPrompts& prompts) {
    FileDialogRequest request;
    request.filter = QStringLiteral(
        "Заметки к программе (*.prg.tag)|*.prg.tag|Текстовые файлы (*.txt;*.rtf)|*.txt;*.rtf|"
        "Все файлы (*.*)|*.*");
    const std::optional<QString> path = prompts.open_file(request);
    if (!path) {
        return std::nullopt;
    }
    std::map<int, std::string> read;
    if (const std::string error =
            notes::load_variable_names(QFile::encodeName(*path).toStdString(), read);
        !error.empty()) {
        prompts.error(QString::fromStdString(error));
        if (read.empty()) {
            return std::nullopt;
        }
    }
    return read;
}

WatchListView::WatchListView(WindowContext& context, cm::WatchList& list, WatchWindowModel& model,
                             QWidget* parent)
    : QTableView(parent),
      context_(context),
      prompts_(context.prompts()),
      list_(list),
      model_(model) {
    setObjectName(QStringLiteral("watch_list"));
    setModel(&model_);
    setTabKeyNavigation(false);  // Tab goes on to the window's next control
    model_.set_value_writer([this](int row, const QString& text) { write_value(row, text); });
    build_format_menu();
}

void WatchListView::build_format_menu() {
    format_menu_ = new QMenu(this);
    auto* group = new QActionGroup(format_menu_);
    for (const FormatChoice& choice : kFormats) {
        QAction* action = format_menu_->addAction(QString::fromUtf8(choice.text));
        action->setCheckable(true);
        action->setData(static_cast<int>(choice.format));
        group->addAction(action);
        const cm::ValueFormat format = choice.format;
        connect(action, &QAction::triggered, this,
                [this, format] { set_format_of_selected(format); });
    }
}

std::vector<int> WatchListView::selected_rows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void WatchListView::set_format_of_selected(cm::ValueFormat format) {
    model_.set_format(selected_rows(), format);
    emit list_changed();
}

void WatchListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && state() != EditingState) {
        emit remove_requested();
        return;
    }
    QTableView::keyPressEvent(event);
}

void WatchListView::contextMenuEvent(QContextMenuEvent* event) {
    // From the mouse or the menu key: the viewport's place either way.
    const QModelIndex under = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!under.isValid()) {
        return;
    }
    if (!selectionModel()->isRowSelected(under.row(), {})) {
        selectRow(under.row());
    }
    // The row clicked tells which format is ticked.
    const int shown = static_cast<int>(list_.rows()[static_cast<std::size_t>(under.row())].format);
    for (QAction* action : format_menu_->actions()) {
        action->setChecked(action->data().toInt() == shown);
    }
    format_menu_->exec(event->globalPos());
}

bool WatchListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (index.column() == WatchWindow::value_column && trigger == AnyKeyPressed) {
        return false;
    }
    return QTableView::edit(index, trigger, event);
}

void WatchListView::write_value(int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(list_.size())) {
        return;
    }
    // Another operation lets events run between its requests: ours would fall between them.
    if (context_.long_operation_running()) {
        prompts_.error(QStringLiteral(
            "Выполняется другая операция с контроллером. Запишите значение после её окончания."));
        return;
    }
    const cm::WatchList::Row& r = list_.rows()[static_cast<std::size_t>(row)];
    std::string error;
    const std::optional<uint16_t> value =
        cm::parse_variable_value(text.toStdString(), r.format, error);
    if (!value) {
        prompts_.error(QString::fromStdString(error));
        return;
    }
    int result = 0;
    {
        WaitCursor wait;
        result = vx::write_variable(context_.connection(), r.variable, *value);
    }
    if (result != vx::kDone) {
        prompts_.error(QString::fromUtf8(cm::kOperationFailedText));
        return;
    }
    emit written(
        QStringLiteral("%1 := %2 записано")
            .arg(QString::fromStdString(cm::variable_caption(r.variable)), text.trimmed()));
}

void WatchListView::SaveListClick() {
    FileDialogRequest request;
    request.filter = kListFilter;
    request.default_suffix = QStringLiteral("vxw");
    const std::optional<QString> path = prompts_.save_file(request);
    if (!path) {
        return;
    }
    if (const std::string error =
            cm::save_watch_list(QFile::encodeName(*path).toStdString(), list_);
        !error.empty()) {
        prompts_.error(QString::fromStdString(error));
        return;
    }
    emit status(QStringLiteral("Список сохранён: %1").arg(*path));
}

void WatchListView::OpenListClick() {
    FileDialogRequest request;
    request.filter = kListFilter;
    const std::optional<QString> path = prompts_.open_file(request);
    if (!path) {
        return;
    }
    std::vector<cm::WatchList::Row> rows;
    if (const std::string error = cm::load_watch_list(QFile::encodeName(*path).toStdString(), rows);
        !error.empty()) {
        prompts_.error(QString::fromStdString(error));
        return;
    }
    std::vector<int> variables;
    for (const cm::WatchList::Row& row : rows) {
        variables.push_back(row.variable);
    }
    // The record's columns are fixed when its file is opened.
    if (variables != list_.variables() && change_refused_ && change_refused_()) {
        prompts_.error(
            QStringLiteral("Идёт запись в файл: список в ней не заменить. Остановите запись, "
                           "откройте список и начните новую запись."));
        return;
    }
    model_.replace(rows);
    emit list_changed();
    emit status(QStringLiteral("Список открыт: %1, переменных: %2.").arg(*path).arg(rows.size()));
}

}  // namespace vx::ui
