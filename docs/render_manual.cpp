// Build-time tool: renders the programming manual from Markdown to PDF.
//
//   vx_render_manual SOURCE_DIR OUTPUT.pdf [PREVIEW_DIR]
//
// SOURCE_DIR holds programming_manual.md, builtin_functions.tsv and
// operators.tsv. With PREVIEW_DIR each page is also written as a PNG image,
// to look at the layout without a PDF viewer.
#include <cstdio>
#include <string>

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include "docs/manual_source.h"

namespace {

constexpr int kResolution = 300;  // dots per inch of the PDF's layout
const QString kTitle = QStringLiteral("Язык программ контроллера Vesta VX");

bool read_text(const QString& path, std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vx_render_manual: can't read %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    text = file.readAll().toStdString();
    return true;
}

// Thin single table rules, shaded code blocks and room above headings: the
// Markdown reader's defaults print double rules and code that runs into the text.
void polish(QTextDocument& document) {
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        cursor.setPosition(block.position());
        if (cursor.currentTable() != nullptr) {
            format.setTopMargin(0);
            format.setBottomMargin(0);
        } else if (format.hasProperty(QTextFormat::BlockCodeFence) ||
                   format.hasProperty(QTextFormat::BlockCodeLanguage)) {
            format.setBackground(QColor(0xF0, 0xF0, 0xF0));
            format.setLeftMargin(12);
        } else if (format.headingLevel() > 0) {
            format.setTopMargin(format.headingLevel() == 1 ? 0 : 14);
            format.setBottomMargin(4);
        } else {
            continue;
        }
        cursor.setBlockFormat(format);
    }
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorder(0.6);
            format.setBorderBrush(QColor(0x90, 0x90, 0x90));
            format.setCellSpacing(0);
            format.setCellPadding(3);
            table->setFormat(format);
        }
    }
}

void set_up_document(QTextDocument& document, const std::string& markdown) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromStdString(markdown), QTextDocument::MarkdownDialectGitHub);
    document.setMetaInformation(QTextDocument::DocumentTitle, kTitle);
    polish(document);
}

// Pages as images at screen resolution, laid out as on the PDF's pages.
bool write_preview(const std::string& markdown, const QPageLayout& layout, const QString& dir) {
    constexpr int kPreviewDpi = 96;
    QTextDocument document;
    set_up_document(document, markdown);
    const QSizeF page = layout.paintRect(QPageLayout::Inch).size() * kPreviewDpi;
    document.setPageSize(page);
    for (int index = 0; index < document.pageCount(); ++index) {
        QImage image(page.toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(0, -page.height() * index);
        document.drawContents(&painter, QRectF(QPointF(0, page.height() * index), page));
        painter.end();
        const QString path =
            QStringLiteral("%1/page-%2.png").arg(dir).arg(index + 1, 2, 10, QLatin1Char('0'));
        if (!image.save(path)) {
            std::fprintf(stderr, "vx_render_manual: can't write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: vx_render_manual SOURCE_DIR OUTPUT.pdf [PREVIEW_DIR]\n");
        return 2;
    }
    // Fonts need a GUI application; no display is needed for them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString source_dir = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    std::string source, functions, operators;
    if (!read_text(source_dir + QStringLiteral("/programming_manual.md"), source) ||
        !read_text(source_dir + QStringLiteral("/builtin_functions.tsv"), functions) ||
        !read_text(source_dir + QStringLiteral("/operators.tsv"), operators)) {
        return 1;
    }
    const vx::manual::Expanded expanded = vx::manual::expand_manual(source, functions, operators);
    if (!expanded.error.empty()) {
        std::fprintf(stderr, "vx_render_manual: %s\n", expanded.error.c_str());
        return 1;
    }

    QPdfWriter writer(output);
    writer.setResolution(kResolution);
    writer.setTitle(kTitle);
    writer.setCreator(QStringLiteral("Vesta VX configurator"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter));
    QTextDocument document;
    set_up_document(document, expanded.markdown);
    // Without a page size of its own the document is paginated on the
    // writer's pages and gets page numbers at their foot.
    document.print(&writer);
    if (argc == 4 &&
        !write_preview(expanded.markdown, writer.pageLayout(), QString::fromLocal8Bit(argv[3]))) {
        return 1;
    }
    if (!QFile::exists(output)) {
        std::fprintf(stderr, "vx_render_manual: %s was not written\n", qPrintable(output));
        return 1;
    }
    return 0;
}
