// Walking a QTextDocument's blocks and fragments into notes paragraphs and back.
#include "editor/notes_document.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

namespace vx::ui {

namespace {

// Tabs and line breaks inside a paragraph carry meaning; other control
// characters and the placeholder of an embedded object do not.
QString visible_text(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F);
        if ((control && u != u'\t') || c == QChar::ObjectReplacementCharacter ||
            c == QChar::ParagraphSeparator) {
            continue;
        }
        out += c;
    }
    return out;
}

notes::CharFormat run_format(const QTextCharFormat& format) {
    return {format.fontWeight() >= QFont::DemiBold, format.fontItalic(), format.fontUnderline()};
}

}  // namespace

notes::Document notes_to_document(const QTextDocument& notes, const QString& font_name,
                                  double font_size_pt) {
    notes::Document document;
    document.font_name = font_name.toStdString();
    document.font_size_pt = font_size_pt;
    document.paragraphs.clear();
    for (QTextBlock block = notes.begin(); block.isValid(); block = block.next()) {
        notes::Paragraph& paragraph = document.paragraphs.emplace_back();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QByteArray text = visible_text(fragment.text()).toUtf8();
            paragraph.append(std::string_view(text.data(), text.size()),
                             run_format(fragment.charFormat()));
        }
    }
    if (document.paragraphs.empty()) {
        document.paragraphs.emplace_back();
    }
    return document;
}

void document_to_notes(const notes::Document& document, QTextDocument& notes) {
    notes.clear();
    QTextCursor cursor(&notes);
    cursor.beginEditBlock();
    bool first = true;
    for (const notes::Paragraph& paragraph : document.paragraphs) {
        if (!first) {
            cursor.insertBlock();
        }
        first = false;
        for (const notes::Run& run : paragraph.runs) {
            QTextCharFormat format;
            format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.format.italic);
            format.setFontUnderline(run.format.underline);
            cursor.insertText(QString::fromStdString(run.text), format);
        }
    }
    cursor.endEditBlock();
}

}  // namespace vx::ui
