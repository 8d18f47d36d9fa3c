// The main window: the variables and modules grids, the status bar, the menu
// and the controller maintenance operations. What every window shares (the
// connection, the settings, the serial port, the prompts) is in the context.
#pragma once

#include <cstdint>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "ui/program_look.h"
#include "ui/window_context.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace vx::ui {

class AutoReconnect;
class PanelStatusBar;
class StringGrid;
class UserPrompts;

// Status bar panels the program writes.
constexpr int kConnectionPanel = 1;
constexpr int kVersionPanel = 3;
constexpr int kOperationPanel = 5;

// How a menu item shows its window.
enum class ShowMode { modal, modeless };

class Tmain_form : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain_form(WindowContext& context, QWidget* parent = nullptr);
    ~Tmain_form() override;  // FormDestroy

    WindowContext& context() { return context_; }
    // "2.15" once the controller told its version at the first showing; else empty.
    QString controller_version_text() const { return controller_version_text_; }

    // A window created after this one, under its form variable name.
    void register_form(const QString& name, QWidget* form) { context_.register_window(name, form); }
    // Makes item show form (a QDialog: modal runs it, modeless shows it beside
    // this window) and enables the item unless its state is fixed as disabled.
    void attach_form(QAction* item, QWidget* form, ShowMode mode);

    // --- events ------------------------------------------------------------------
    void FormShow();
    void Button1Click();
    void Button2Click();
    void sg1SelectCell(int col, int row);
    void N6Click();
    void N10Click();
    void N16Click();
    void N17Click();
    void N20Click();
    void N22Click();
    void SupportReport1Click();
    void Reconnect1Click();
    void AddToWatch1Click();

public Q_SLOTS:
    // Puts 1024 values (a refresh or a sample read elsewhere) into the
    // variables grid; the cells whose value differs from the previous values
    // are highlighted until the next call. A list of another size is ignored.
    void show_variable_values(const std::vector<uint16_t>& values);
    // No highlight is left: the refreshes that marked the changes have ended.
    void clear_variable_highlights();

Q_SIGNALS:
    // "Добавить в наблюдение" on the variables grid: the selected variables, ascending.
    void watch_requested(const std::vector<int>& variables);
    // "Подключиться к контроллеру" has made a new connection.
    void reconnected();
    // What the first showing learnt, for the About box and the settings dialog:
    // the library's version ("1.1"), the controller's ("2.15", again after a
    // reconnection) and the serial port's number from the settings.
    void library_version_read(const QString& text);
    void controller_version_read(const QString& text);
    void com_port_number_read(int number);

public:
    // --- controls, by the names of the window's design ------------------------------
    StringGrid* sg1 = nullptr;
    StringGrid* sg2 = nullptr;
    PanelStatusBar* sb = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QProgressBar* transfer_progress = nullptr;  // beside panel 5 during transfers
    QAction *N1 = nullptr, *N2 = nullptr, *N5 = nullptr, *N25 = nullptr, *Reconnect1 = nullptr;
    QAction* AutoReconnect1 = nullptr;  // "Подключаться заново автоматически", checkable
    QAction* Backup1 = nullptr;           // the configuration backup window
    QAction* ExchangeMonitor1 = nullptr;  // "Монитор обмена...", after the added items
    QAction* VarWatch1 = nullptr;  // "Наблюдение за переменными...", after the monitor
    QAction *N4 = nullptr, *N3 = nullptr, *N12 = nullptr, *N21 = nullptr, *N13 = nullptr,
            *X101 = nullptr, *N11 = nullptr, *N15 = nullptr, *N6 = nullptr, *N10 = nullptr,
            *N14 = nullptr, *N16 = nullptr, *N17 = nullptr, *N20 = nullptr;
    QAction *N8 = nullptr, *N18 = nullptr, *Parlo1 = nullptr, *S1 = nullptr, *VX2o1 = nullptr,
            *N24 = nullptr, *N19 = nullptr, *ModBus2 = nullptr, *ModBus1 = nullptr;
    QAction* N9 = nullptr;
    QAction *N7 = nullptr, *N22 = nullptr, *N23 = nullptr;
    QAction* SupportReport1 = nullptr;  // "Отчёт для поддержки...", after the added items
    QAction* AddToWatch1 = nullptr;  // the variables grid's context menu

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // FormClose

private:
    class Transfer;
    friend class Transfer;

    void build_layout();
    void build_menu();
    void FormCreate();
    void FormClose();
    void set_operation_status(const QString& text);  // panel 5, painted at once
    void show_connection_state();                    // panel 1
    void show_controller_version();                  // panel 3 and the about box, or a box
    void show_controller_version(uint16_t version);  // a version read, or 0: the box
    // After the connection has been made again: the old one's marks are cleared.
    void start_on_new_connection();
    // A restart or a firmware load ends the connection; the automatic reconnect
    // drops it at once, so that its attempts start.
    void expect_controller_restart();

    WindowContext& context_;
    vx::ControllerConnection& connection_;
    UserPrompts& prompts_;
    QString controller_version_text_;
    QString program_dialog_dir_;  // OpenDialog1's initial directory
    bool shown_once_ = false;
    bool closing_ = false;
    QString transfer_close_question_;     // empty unless a transfer runs
    std::vector<QAction*> modal_items_;   // items that show a window modally
    std::vector<uint16_t> shown_values_;  // the grid's values, empty before the first refresh
    AutoReconnect* auto_reconnect_ = nullptr;
};

}  // namespace vx::ui
