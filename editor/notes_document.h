// The notes pane's text and the notes file's document model, converted both ways.
#pragma once

#include <QString>

#include "notes/rtf_document.h"

class QTextDocument;

namespace vx::ui {

// The notes pane as a document for the notes file: its paragraphs, line
// breaks and tabs, and bold, italic and underline of each piece of text. The
// font is the pane's font setting. Embedded objects (pictures pasted from
// elsewhere) and control characters are left out: the file holds text.
notes::Document notes_to_document(const QTextDocument& notes, const QString& font_name,
                                  double font_size_pt);

// Replaces the whole notes pane with the document's text and formatting.
// The document's font is not applied: the pane's font setting decides it.
void document_to_notes(const notes::Document& document, QTextDocument& notes);

}  // namespace vx::ui
