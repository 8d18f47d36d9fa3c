// The watch window's table of rows: its keys (Delete, Tab out of the table), the
// value typed into a row written to the controller, each row's value format from
// its context menu, and the list kept in and opened from a file of its own.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QTableView>

#include "commissioning/variable_value.h"

class QMenu;

namespace vx::commissioning {
class WatchList;
}

namespace vx::ui {

class UserPrompts;
class WatchWindowModel;
class WindowContext;

// Asks for a notes file and reads its variable names; nothing when the user
// cancelled or nothing could be read (the error shown).
std::optional<std::map<int, std::string>> ask_notes_names(UserPrompts& prompts);

class WatchListView : public QTableView {
    Q_OBJECT
public:
    WatchListView(WindowContext& context, commissioning::WatchList& list, WatchWindowModel& model,
                  QWidget* parent = nullptr);

    // True when the list may not change now (a record runs); the box is the caller's.
    void set_change_guard(std::function<bool()> refuses) { change_refused_ = std::move(refuses); }

    std::vector<int> selected_rows() const;
    // The menu of the rows' formats, its actions checkable: "Без знака", "Со знаком", "Шестн.".
    QMenu* format_menu() const { return format_menu_; }
    void set_format_of_selected(commissioning::ValueFormat format);
    // The text typed for the row's value, checked and written to its variable.
    void write_value(int row, const QString& text);

    void SaveListClick();  // "Сохранить список..."
    void OpenListClick();  // "Открыть список..."

signals:
    void remove_requested();  // the Delete key
    // Rows, names or formats changed here: the settings and the chart follow.
    void list_changed();
    void status(const QString& text);
    // A value written to a row's variable: "var[7] := 5 записано", the window reads it back.
    void written(const QString& what);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A value is written only when asked for (double-click, F2), never by a stray key.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void build_format_menu();

    WindowContext& context_;
    UserPrompts& prompts_;
    commissioning::WatchList& list_;
    WatchWindowModel& model_;
    QMenu* format_menu_ = nullptr;
    std::function<bool()> change_refused_;
};

}  // namespace vx::ui
