#include "widgets/C_ProgressBar.h"

#include "widgets/SkinFont.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace korva {

namespace {

const QColor kFrame(255, 255, 0);
const QColor kStart(255, 0, 0);
const QColor kEnd(0, 0, 255);
const QColor kRest(192, 192, 192);

// The caption starts this far left of the bar's centre and this far below its top edge.
constexpr int kCaptionLeftOfCentre = 100;
constexpr int kCaptionTop = 3;
constexpr int kCaptionPixelSize = 12;

} // namespace

C_ProgressBar::C_ProgressBar(QWidget* parent) : QWidget(parent) {
    setMaximumHeight(kMaxHeight);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void C_ProgressBar::SetValue(int value) {
    value_ = std::clamp(value, 0, maxValue_);
    update();
}

void C_ProgressBar::SetMaxValue(int maxValue) {
    maxValue_ = std::max(maxValue, 0);
    update();
}

int C_ProgressBar::ShownValue() const {
    return std::clamp(value_, 0, maxValue_);
}

int C_ProgressBar::Percent() const {
    return maxValue_ > 0 ? ShownValue() * 100 / maxValue_ : 0;
}

QString C_ProgressBar::Caption() const {
    return QStringLiteral("正在通信, 完成%1%").arg(Percent());
}

void C_ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(kFrame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect interior = rect().adjusted(1, 1, -1, -1);
    if (interior.isEmpty()) {
        return;
    }
    const int filled = maxValue_ > 0 ? interior.width() * ShownValue() / maxValue_ : 0;
    // The gradient spans the whole interior, so filling uncovers it from red towards blue.
    QLinearGradient gradient(interior.left(), 0, interior.right(), 0);
    gradient.setColorAt(0, kStart);
    gradient.setColorAt(1, kEnd);
    painter.fillRect(QRect(interior.left(), interior.top(), filled, interior.height()), gradient);
    painter.fillRect(
        QRect(interior.left() + filled, interior.top(), interior.width() - filled, interior.height()), kRest);

    QFont font(SkinFontFamily());
    font.setPixelSize(kCaptionPixelSize);
    font.setBold(true);
    painter.setFont(font);
    const int left = std::max(interior.left() + 1, width() / 2 - kCaptionLeftOfCentre);
    const QRect captionBox(left, kCaptionTop, width() - left, height() - kCaptionTop);
    // White over the coloured part and black over the grey keep every letter readable.
    const QRect filledPart(interior.left(), 0, filled, height());
    for (const bool overFill : {true, false}) {
        painter.save();
        painter.setClipRegion(overFill ? QRegion(filledPart) : QRegion(rect()).subtracted(filledPart));
        painter.setPen(overFill ? Qt::white : Qt::black);
        painter.drawText(captionBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Caption());
        painter.restore();
    }
}

} // namespace korva
