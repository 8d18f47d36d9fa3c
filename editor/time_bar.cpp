// TimeBar: the clock label, the speed box and "Перемотать на...".
#include "editor/time_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "debugger/views.h"
#include "ui/user_prompts.h"

namespace vx::ui {

namespace {

constexpr double kSpeeds[] = {1, 10, 100, 1000, 0};

}  // namespace

TimeBar::TimeBar(UserPrompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("time_bar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(QStringLiteral("Время сеанса:")));
    clock_ = new QLabel(QStringLiteral("--.--.---- --:--:--"));
    clock_->setObjectName(QStringLiteral("session_clock"));
    QFont bold = clock_->font();
    bold.setBold(true);
    clock_->setFont(bold);
    layout->addWidget(clock_);
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("Скорость:")));
    speed_ = new QComboBox;
    speed_->setObjectName(QStringLiteral("session_speed"));
    speed_->addItems({QStringLiteral("×1"), QStringLiteral("×10"), QStringLiteral("×100"),
                      QStringLiteral("×1000"), QStringLiteral("пауза")});
    layout->addWidget(speed_);
    advance_ = new QPushButton(QStringLiteral("Перемотать на..."));
    advance_->setObjectName(QStringLiteral("session_advance"));
    layout->addWidget(advance_);
    layout->addStretch(1);
    connect(speed_, &QComboBox::currentIndexChanged, this, [this] { emit speed_changed(speed()); });
    connect(advance_, &QPushButton::clicked, this, &TimeBar::ask_span);
}

void TimeBar::show_time(const debugger::ClockTime& t) {
    clock_->setText(QStringLiteral("%1.%2.%3 %4:%5:%6")
                        .arg(t.day, 2, 10, QLatin1Char('0'))
                        .arg(t.month, 2, 10, QLatin1Char('0'))
                        .arg(t.year, 4, 10, QLatin1Char('0'))
                        .arg(t.hour, 2, 10, QLatin1Char('0'))
                        .arg(t.minute, 2, 10, QLatin1Char('0'))
                        .arg(t.second, 2, 10, QLatin1Char('0')));
}

double TimeBar::speed() const {
    const int index = speed_->currentIndex();
    return index >= 0 && index < static_cast<int>(std::size(kSpeeds)) ? kSpeeds[index] : 1;
}

void TimeBar::set_speed_index(int index) {
    speed_->setCurrentIndex(index);
}

void TimeBar::ask_span() {
    const std::optional<QString> minutes =
        prompts_.ask_input({QStringLiteral("Перемотать на"), QStringLiteral("Минут:"),
                            QStringLiteral("60"), std::pair{1, 60 * 24 * 31}});
    if (minutes) {
        emit advance_requested(std::chrono::minutes(minutes->toInt()));
    }
}

}  // namespace vx::ui
