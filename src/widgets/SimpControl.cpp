#include "widgets/SimpControl.h"

#include "design/SkinNumbers.h"
#include "widgets/BackColor.h"
#include "widgets/Nearest.h"
#include "widgets/SkinImages.h"
#include "widgets/WidgetInput.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace korva {

namespace {

// The items of a comma-separated design list; an unreadable or missing item counts as 0.
std::vector<double> ListItems(const QString& text) {
    std::vector<double> items;
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const double value = item.trimmed().toDouble(&ok);
        items.push_back(ok ? value : 0);
    }
    return items;
}

double ItemOrZero(const std::vector<double>& items, size_t index) {
    return index < items.size() ? items[index] : 0;
}

} // namespace

SimpControl::SimpControl(const SkinImages& skin, QWidget* parent) : QWidget(parent), skin_(skin) {
    setMouseTracking(true); // MouseMove is raised while hovering too, not only while a button is held
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    SetPics(QString::number(skinnumbers::kDefaultButton));
}

void SimpControl::SetPics(const QString& pics) {
    pics_ = pics;
    RebuildLayers();
    if (!layers_.empty()) {
        const QSize natural = skin_.NaturalSize(layers_.front().pic);
        if (!natural.isEmpty()) {
            resize(natural);
        }
    }
    update();
}

void SimpControl::SetPosX(const QString& posX) {
    posX_ = posX;
    RebuildLayers();
    update();
}

void SimpControl::SetPosY(const QString& posY) {
    posY_ = posY;
    RebuildLayers();
    update();
}

void SimpControl::RebuildLayers() {
    const std::vector<double> pics = ListItems(pics_);
    const std::vector<double> xs = ListItems(posX_);
    const std::vector<double> ys = ListItems(posY_);
    layers_.clear();
    for (size_t i = 0; i < pics.size(); ++i) {
        layers_.push_back({Nearest(pics[i]), ItemOrZero(xs, i), ItemOrZero(ys, i)});
    }
}

void SimpControl::SetValueIndex(int index) {
    valueIndex_ = index;
    update();
}

void SimpControl::SetValue(int value) {
    value = std::clamp(value, 0, 255);
    if (value != value_) {
        value_ = value;
        update();
    }
}

void SimpControl::SetBackColor(int color) {
    backColor_ = color;
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaqueBackColor(color));
    update();
}

void SimpControl::SetUserHightCutPic(bool on) {
    if (on != userHightCutPic_) {
        userHightCutPic_ = on;
        update();
    }
}

double SimpControl::Scale() const {
    const int reference = layers_.empty() ? 0 : skin_.NaturalWidth(layers_.front().pic);
    return reference > 0 ? double(width()) / reference : 1.0;
}

bool SimpControl::event(QEvent* event) {
    return SwallowWhenDisabled(*this, event) || QWidget::event(event);
}

// A lock during a press ends it: the push button looks released again and its release will not click.
void SimpControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled() && pressed_) {
        pressed_ = false;
        if (actionType_ == kPush) {
            value_ = 0;
            update();
        }
    }
    QWidget::changeEvent(event);
}

void SimpControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ClearBackColor(painter, rect(), backColor_);
    const double s = Scale();
    for (size_t i = 0; i < layers_.size(); ++i) {
        const int pic = (i == 0 && userHightCutPic_) ? skinnumbers::kHighCutPoint : layers_[i].pic;
        const int shown = pic + (int(i) == valueIndex_ ? value_ : 0);
        // A layer takes the size of its own base image, whatever its state image is.
        skin_.DrawSkinImageScaled(shown, painter, layers_[i].x * s, layers_[i].y * s, s, pic);
    }
}

void SimpControl::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    pressed_ = true;
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(pos.x()),
                   float(pos.y()));
    switch (actionType_) {
    case kToggle:
        value_ = value_ == 0 ? 1 : 0;
        emit Click();
        break;
    case kPush:
        value_ = 1;
        break;
    case kTrigger:
        emit Click();
        break;
    default:
        break;
    }
    update();
}

void SimpControl::mouseReleaseEvent(QMouseEvent*) {
    const bool pressed = std::exchange(pressed_, false);
    if (actionType_ == kPush && pressed) {
        value_ = 0;
        emit Click();
    }
    update();
}

void SimpControl::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()), float(pos.x()),
                   float(pos.y()));
}

} // namespace korva
