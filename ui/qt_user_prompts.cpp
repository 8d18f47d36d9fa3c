// Qt's boxes and dialogs behind UserPrompts.
#include "ui/qt_user_prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include "ui/check_list_dialog.h"
#include "ui/settings.h"

namespace vx::ui {

namespace {

QMessageBox::Icon box_icon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::information:
            return QMessageBox::Information;
        case PromptIcon::warning:
            return QMessageBox::Warning;
        case PromptIcon::error:
            return QMessageBox::Critical;
        case PromptIcon::none:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString qt_file_filter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList qt_filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses of the description.
        if (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')'))) {
            qt_filters << description;
        } else {
            qt_filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    }
    if (parts.size() % 2 == 1 && !parts.constLast().isEmpty()) {
        qt_filters << parts.constLast();  // a bare pattern without a description
    }
    return qt_filters.join(QStringLiteral(";;"));
}

QWidget* QtUserPrompts::owner() const {
    if (QWidget* active = QApplication::activeModalWidget()) {
        return active;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return parent_.data();
}

void QtUserPrompts::message(PromptIcon icon, const QString& caption, const QString& text) {
    QMessageBox box(box_icon(icon), caption, text, QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUserPrompts::ask_yes_no(PromptIcon icon, const QString& caption, const QString& text) {
    QMessageBox box(box_icon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Answer QtUserPrompts::ask_yes_no_cancel(PromptIcon icon, const QString& caption,
                                        const QString& text) {
    QMessageBox box(box_icon(icon), caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::yes;
        case QMessageBox::No:
            return Answer::no;
        default:
            return Answer::cancel;
    }
}

std::optional<QString> QtUserPrompts::run_file_dialog(const FileDialogRequest& request, bool save) {
    QString directory = request.directory;
    if (directory.isEmpty() && folders_) {
        directory = remembered_folder(*folders_, request.filter);
    }
    QFileDialog dialog(owner(), request.title, directory, qt_file_filter(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.default_suffix);
    if (!request.file_name.isEmpty()) {
        dialog.selectFile(request.file_name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    if (folders_) {
        remember_folder(*folders_, request.filter, chosen);
    }
    return chosen;
}

std::optional<QString> QtUserPrompts::open_file(const FileDialogRequest& request) {
    return run_file_dialog(request, false);
}

std::optional<QString> QtUserPrompts::save_file(const FileDialogRequest& request) {
    return run_file_dialog(request, true);
}

std::optional<QFont> QtUserPrompts::choose_font(const QFont& current) {
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, current, owner());
    if (!chosen) {
        return std::nullopt;
    }
    return font;
}

std::optional<QList<bool>> QtUserPrompts::choose_items(const CheckListRequest& request) {
    CheckListDialog dialog(request, owner());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.checked();
}

std::optional<QString> QtUserPrompts::ask_input(const InputRequest& request) {
    bool ok = false;
    QString text;
    if (request.range) {
        text = QString::number(QInputDialog::getInt(owner(), request.caption, request.label,
                                                    request.text.toInt(), request.range->first,
                                                    request.range->second, 1, &ok));
    } else {
        text = QInputDialog::getText(owner(), request.caption, request.label, QLineEdit::Normal,
                                     request.text, &ok);
    }
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

bool QtUserPrompts::choose_printer(QPrinter& printer) {
    QPrintDialog dialog(&printer, owner());
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserPrompts::open_with_desktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace vx::ui
