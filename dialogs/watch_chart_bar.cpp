// WatchChartBar: the chart's controls wired to it, the view's state in words, and the
// PNG written through a buffer so that a failed write leaves no half a file.
#include "dialogs/watch_chart_bar.h"

#include <QBuffer>
#include <QByteArray>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/watch_chart.h"
#include "files/atomic_file.h"
#include "ui/dialog_controls.h"
#include "ui/user_prompts.h"

namespace vx::ui {

namespace {

QString clock_text(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

QString save_png(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        return QStringLiteral("Не удалось записать файл %1: рисунок не сохраняется в формате PNG.")
            .arg(path);
    }
    const std::string error = vx::files::write_file_atomically(
        QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    return QString::fromStdString(error);
}

WatchChartBar::WatchChartBar(WatchChart& chart, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), chart_(chart), prompts_(prompts) {
    setObjectName(QStringLiteral("chart_bar"));
    normalise_box = new QCheckBox(QStringLiteral("Нормировать"), this);
    normalise_box->setObjectName(QStringLiteral("normalise_box"));
    normalise_box->setToolTip(
        QStringLiteral("Каждая линия в своём диапазоне, от 0 до 100 % высоты графика"));
    freeze_button =
        make_button(QStringLiteral("freeze_button"), QStringLiteral("Заморозить"), this);
    freeze_button->setCheckable(true);
    history_button =
        make_button(QStringLiteral("history_button"), QStringLiteral("Вся история"), this);
    save_button = make_button(QStringLiteral("save_chart_button"),
                              QStringLiteral("Сохранить как PNG..."), this);
    view_line = make_status_line(QStringLiteral("view_line"), this);
    reading_line = make_status_line(QStringLiteral("reading_line"), this);
    reading_line->setWordWrap(true);
    saved_line = make_status_line(QStringLiteral("saved_line"), this);

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(normalise_box);
    controls->addWidget(freeze_button);
    controls->addWidget(history_button);
    controls->addWidget(view_line, 1);
    controls->addWidget(saved_line);
    controls->addWidget(save_button);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(controls);
    column->addWidget(reading_line);

    connect(normalise_box, &QCheckBox::toggled, this,
            [this](bool normalised) { chart_.set_normalised(normalised); });
    connect(freeze_button, &QPushButton::clicked, this,
            [this](bool frozen) { chart_.set_frozen(frozen); });
    connect(history_button, &QPushButton::clicked, this, [this] { chart_.show_history(); });
    connect(save_button, &QPushButton::clicked, this, &WatchChartBar::SaveClick);
    connect(&chart_, &WatchChart::view_changed, this, &WatchChartBar::show_view);
    connect(&chart_, &WatchChart::cursor_moved, this,
            [this] { reading_line->setText(chart_.cursor_reading()); });
    show_view();
}

// The freeze button and the words say the same: zoom and drag freeze the view too.
void WatchChartBar::show_view() {
    const ChartView& view = chart_.view();
    freeze_button->setChecked(view.frozen());
    switch (view.mode()) {
        case ChartView::Mode::live_span:
            view_line->setText(QStringLiteral("Вид: последние %1 мин.")
                                   .arg((view.to_ms() - view.from_ms()) / 60000));
            break;
        case ChartView::Mode::all_history:
            view_line->setText(QStringLiteral("Вид: вся история."));
            break;
        case ChartView::Mode::frozen:
            view_line->setText(QStringLiteral("Вид заморожен: %1–%2.")
                                   .arg(clock_text(view.from_ms()), clock_text(view.to_ms())));
            break;
    }
}

void WatchChartBar::SaveClick() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Рисунок PNG (*.png)|*.png");
    request.default_suffix = QStringLiteral("png");
    request.file_name =
        QStringLiteral("watch-chart-%1.png")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const std::optional<QString> path = prompts_.save_file(request);
    if (!path) {
        return;
    }
    if (const QString error = save_png(chart_.grab().toImage(), *path); !error.isEmpty()) {
        prompts_.error(error);
        return;
    }
    saved_line->setText(QStringLiteral("График сохранён: ") + *path);
}

}  // namespace vx::ui
