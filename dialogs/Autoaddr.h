// Taaddr: the module addressing wizard that registers new Tarnet+ bus modules.
#pragma once

#include <QDialog>
#include <QString>

#include "commissioning/addressing.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace vx::ui {

class StringGrid;
class WindowContext;

// "Undefined.0" style names come from the shared type table.
QString module_name(const vx::ModuleInfo& info);

// The result grid: three columns, a header row, and one empty data row.
void set_up_result_grid(StringGrid& grid);
void reset_result_grid(StringGrid& grid);
// Lists a module in the row numbered by the controller's count, so that the
// k-th module of a run lands in row k. Without a usable count (no reply, or a
// count of 0 right after a registration) it takes the first empty data row.
// Returns the row.
int list_module(StringGrid& grid, const commissioning::FoundModule& module);
// The data rows that hold a module.
int listed_module_count(const StringGrid& grid);

// The wizard's pages, in the order of pc.
enum WizardPage { kStartPage = 0, kSearchPage = 1, kRegisteredPage = 2, kFinalPage = 3 };

class Taaddr : public QDialog {
    Q_OBJECT
public:
    explicit Taaddr(WindowContext& context, QWidget* parent = nullptr);

    // --- events --------------------------------------------------------------------
    void FormShow();      // every opening
    void Button1Click();  // "Начать процесс адресации": Start
    void Button2Click();  // "Выход" of page 1
    void Button3Click();  // "Автопоиск"
    void Button4Click();  // "Проверка"
    void Button5Click();  // "Найти"
    void Button6Click();  // "Завершить мастер регистрации новых модулей" of page 2
    void Button7Click();  // "Зарегистрировать еще один модуль"
    void Button8Click();  // "Завершить мастер регистрации новых модулей" of page 3
    void Button9Click();  // "Выход" of page 4
    void FormClose();     // whenever the window closes

    const commissioning::SavedServices& saved_services() const { return saved_; }
    bool searching() const { return searching_; }

    // --- controls ------------------------------------------------------------------
    QStackedWidget* pc = nullptr;  // the four pages, without tabs
    QLabel* no_reply_text = nullptr;
    QLabel* blocked_port_text = nullptr;
    QLabel* not_found_text = nullptr;
    QSpinBox* ud1 = nullptr;  // the address the next module gets
    QLabel* module_number = nullptr;
    QLabel* module_name_text = nullptr;
    QLabel* module_version = nullptr;
    QLabel* module_count_text = nullptr;
    StringGrid* sg1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
                *Button9 = nullptr;

    // closeEvent and every exit button end here, so Close runs on every path.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* build_start_page();
    QWidget* build_search_page();
    QWidget* build_registered_page();
    QWidget* build_final_page();
    void show_page(WizardPage page);
    void register_at_spinner();  // Register: "Проверка" and "Найти"
    void finish();               // page 4 with the count, then the bus rescan
    void set_address(int value);

    WindowContext& context_;
    commissioning::SavedServices saved_;
    bool searching_ = false;
};

}  // namespace vx::ui
