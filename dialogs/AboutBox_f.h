// The about box: program name and version, the controller's and the
// library's versions, and the supplier's home page and e-mail.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>

class QPushButton;

namespace vx::ui {

class WindowContext;

// Where the two links lead, and what they show.
inline const QString kHomePageAddress = QStringLiteral("https://www.vesta-vx.ru/");
inline const QString kHomePageText = QStringLiteral("www.vesta-vx.ru");
inline const QString kEmailAddress = QStringLiteral("support@vesta-vx.ru");

// Until the main window learns a version.
inline const QString kNoVersionText = QStringLiteral("Нет данных");

// A label that reads like a link (navy, hand cursor) and reports a click.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(WindowContext& context, QWidget* parent = nullptr);

    // The home page in the web browser.
    void Label8Click();
    // A new message to the e-mail address in the mail program.
    void Label10Click();

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;     // the program version
    QLabel* Label2 = nullptr;      // the controller version, filled by the main window
    QLabel* Label6 = nullptr;      // the library version, filled by the main window
    LinkLabel* Label8 = nullptr;   // home page
    LinkLabel* Label10 = nullptr;  // e-mail
    QPushButton* OKButton = nullptr;

private:
    WindowContext& context_;
};

}  // namespace vx::ui
