#include "widgets/ShowNumber.h"

#include "widgets/BackColor.h"
#include "widgets/DigitGlyphs.h"
#include "widgets/SkinImages.h"
#include "widgets/WidgetInput.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korva {

ShowNumber::ShowNumber(const SkinImages& skin, QWidget* parent) : QWidget(parent), skin_(skin) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    RebuildGlyphs();
}

void ShowNumber::SetValue(int value) {
    if (value != value_) {
        value_ = value;
        RebuildGlyphs();
        update();
    }
}

void ShowNumber::SetDiv10(bool on) {
    div10_ = on;
    RebuildGlyphs();
    update();
}

void ShowNumber::SetPicNumber(int number) {
    picNumber_ = number;
    RebuildGlyphs();
    if (backPic_ == 0 && skin_.NaturalHeight(number) > 0) {
        referenceHeight_ = skin_.NaturalHeight(number);
        resize(width(), referenceHeight_);
    }
    update();
}

void ShowNumber::SetPicDig(int number) {
    picDig_ = number;
    RebuildGlyphs();
    update();
}

void ShowNumber::SetBackPic(int number) {
    backPic_ = number;
    const QSize natural = skin_.NaturalSize(number);
    if (!natural.isEmpty()) {
        referenceHeight_ = natural.height();
        resize(natural);
    }
    update();
}

void ShowNumber::SetBackColor(int color) {
    backColor_ = color;
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaqueBackColor(color));
    update();
}

int ShowNumber::ReferenceHeight() const {
    if (referenceHeight_ > 0) {
        return referenceHeight_;
    }
    return skin_.NaturalHeight(backPic_ ? backPic_ : picNumber_);
}

void ShowNumber::SetReferenceHeight(int height) {
    referenceHeight_ = height;
    update();
}

double ShowNumber::Scale() const {
    const int reference = ReferenceHeight();
    return reference > 0 ? double(height()) / reference : 1.0;
}

void ShowNumber::RebuildGlyphs() {
    glyphs_ = DigitGlyphs(value_, div10_, picNumber_, picDig_);
}

bool ShowNumber::event(QEvent* event) {
    return SwallowWhenDisabled(*this, event) || QWidget::event(event);
}

void ShowNumber::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ClearBackColor(painter, rect(), backColor_);
    const double s = Scale();
    if (backPic_ != 0) {
        skin_.DrawSkinImageScaled(backPic_, painter, 0, 0, s);
    }
    // Centred as if every glyph were as wide as a digit; each then advances by its own width, so a
    // number with the narrower point sits slightly left of centre.
    const QSize digit = skin_.NaturalSize(picNumber_);
    const double total = double(glyphs_.size()) * digit.width() * s;
    double x = std::max(0.0, (width() - total) / 2);
    const double y = std::max(0.0, (height() - digit.height() * s) / 2);
    for (int glyph : glyphs_) {
        skin_.DrawSkinImageScaled(glyph, painter, std::trunc(x), std::trunc(y), s);
        x += skin_.NaturalWidth(glyph) * s;
    }
}

void ShowNumber::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void ShowNumber::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) {
        emit Click();
    }
}

} // namespace korva
