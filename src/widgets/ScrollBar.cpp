#include "widgets/ScrollBar.h"

#include "design/SkinNumbers.h"
#include "widgets/Nearest.h"
#include "widgets/SkinImages.h"
#include "widgets/WidgetInput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace korva {

namespace {

// The balance thumb turns into its centred look at the balance's middle position.
constexpr int kBalanceMiddle = 80;

constexpr int kWheelNotch = 120;

} // namespace

ScrollBar::ScrollBar(const SkinImages& skin, QWidget* parent) : QWidget(parent), skin_(skin) {
    setFocusPolicy(Qt::NoFocus); // focus is only borrowed while hovering
    setCursor(Qt::PointingHandCursor);
    SetBackPic(backPic_);
}

ScrollBarGeometry ScrollBar::Geometry() const {
    ScrollBarGeometry g;
    g.displayType = displayType_;
    g.inverted = changeMinMax_;
    g.isQ = isQ_;
    g.maxValue = maxValue_;
    g.minPos = minPos_;
    g.maxPos = maxPos_;
    g.stableOtherPos = stableOtherPos_;
    g.thumbSize = skin_.NaturalSize(barPic_);
    const int designWidth = skin_.NaturalWidth(backPic_);
    g.scale = designWidth > 0 ? double(width()) / designWidth : 1.0;
    return g;
}

void ScrollBar::SetChangeMinMax(bool on) {
    changeMinMax_ = on;
    update();
}

void ScrollBar::SetDisplayType(int type) {
    displayType_ = type;
    if (type == 1) {
        changeMinMax_ = true; // vertical sliders have their highest value at the top
    }
    update();
}

void ScrollBar::SetMaxValue(int maxValue) {
    maxValue_ = std::max(maxValue, 0);
    position_ = Nearest(maxValue_ / 2.0);
    update();
}

void ScrollBar::SetIsQ(bool on) {
    isQ_ = on;
    update();
}

void ScrollBar::SetMinPos(int pos) {
    minPos_ = pos;
    update();
}

void ScrollBar::SetMaxPos(int pos) {
    maxPos_ = pos;
    update();
}

void ScrollBar::SetStableOtherPos(int pos) {
    stableOtherPos_ = pos;
    update();
}

void ScrollBar::SetBackPic(int number) {
    backPic_ = number;
    const QSize natural = skin_.NaturalSize(number);
    if (!natural.isEmpty()) {
        resize(natural);
    }
    update();
}

void ScrollBar::SetBarPic(int number) {
    barPic_ = number;
    update();
}

void ScrollBar::SetValue(int value) {
    const int position = Geometry().PositionFor(value);
    if (position != position_) {
        position_ = position;
        update();
    }
}

bool ScrollBar::event(QEvent* event) {
    return SwallowWhenDisabled(*this, event) || QWidget::event(event);
}

void ScrollBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ScrollBarGeometry geometry = Geometry();
    skin_.DrawSkinImage(backPic_, painter, 0, 0, width(), height());
    DrawFill(painter, geometry);

    const int thumb = (barPic_ == skinnumbers::kBalanceThumb && position_ == kBalanceMiddle)
                          ? skinnumbers::kBalanceThumbCentre
                          : barPic_;
    const QRectF rect = geometry.ThumbRect(position_, skin_.NaturalSize(thumb));
    skin_.DrawSkinImageScaled(thumb, painter, rect.x(), rect.y(), geometry.scale);
}

void ScrollBar::DrawFill(QPainter& painter, const ScrollBarGeometry& geometry) const {
    const double t = geometry.ThumbCentre(position_);
    const double k = geometry.scale;
    // Tracks that show their level: the lit part is a second picture, uncovered from the left end up to the
    // thumb, or on the master faders from the thumb down.
    int fill = 0;
    if (backPic_ == skinnumbers::kEffectTrack) {
        fill = skinnumbers::kEffectFill;
    } else if (backPic_ >= skinnumbers::kKnobTrackFreq && backPic_ <= skinnumbers::kKnobTrackQ) {
        fill = skinnumbers::kKnobFill;
    } else if (backPic_ == skinnumbers::kMasterTrack) {
        const QSize n = skin_.NaturalSize(skinnumbers::kMasterFill);
        const QRectF source(0, Nearest(t), n.width(), Nearest(n.height() - t));
        const QRectF target(0, Nearest(t * k), Nearest(n.width() * k), Nearest((n.height() - t) * k));
        skin_.DrawSkinImagePart(skinnumbers::kMasterFill, painter, target, source);
        return;
    } else {
        return;
    }
    const QSize n = skin_.NaturalSize(fill);
    const QRectF source(0, 0, Nearest(t), n.height());
    const QRectF target(0, 0, Nearest(t * k), Nearest(n.height() * k));
    skin_.DrawSkinImagePart(fill, painter, target, source);
}

void ScrollBar::mousePressEvent(QMouseEvent* event) {
    // A press beside the thumb does nothing; only the thumb itself is dragged.
    draggingThumb_ = Geometry().HitsThumb(position_, event->position());
    if (draggingThumb_) {
        lastReportedPosition_ = position_;
        emit ThumbDown();
    }
}

void ScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (!draggingThumb_) {
        return;
    }
    // The thumb centre follows the pointer, wherever on the thumb it was grabbed.
    const int position = Geometry().PositionAt(event->position());
    if (position != position_) {
        position_ = position;
        update();
    }
    if (position_ != lastReportedPosition_) {
        lastReportedPosition_ = position_;
        emit Change();
    }
}

void ScrollBar::mouseReleaseEvent(QMouseEvent*) {
    draggingThumb_ = false;
}

bool ScrollBar::StepKey(int key) {
    int step = 0;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        step = -1;
        break;
    default:
        return false;
    }
    if (displayType_ == 1 && changeMinMax_) {
        step = -step; // on a vertical inverted slider Up raises the value
    }
    const int position = position_ + step;
    if (position >= 0 && position <= maxValue_) {
        position_ = position;
        update();
        emit Change();
    }
    return true;
}

void ScrollBar::keyPressEvent(QKeyEvent* event) {
    if (hovering_ && StepKey(event->key())) {
        event->accept();
    } else {
        event->ignore();
    }
}

void ScrollBar::wheelEvent(QWheelEvent* event) {
    event->accept();
    // Only a single notch with nothing held counts; it steps like the Down (towards the user) or Up key.
    if (!hovering_ || event->buttons() != Qt::NoButton || event->modifiers() != Qt::NoModifier ||
        event->angleDelta().x() != 0) {
        return;
    }
    if (event->angleDelta().y() == -kWheelNotch) {
        StepKey(Qt::Key_Down);
    } else if (event->angleDelta().y() == kWheelNotch) {
        StepKey(Qt::Key_Up);
    }
}

void ScrollBar::enterEvent(QEnterEvent*) {
    hovering_ = true;
    BorrowFocus();
    update();
}

void ScrollBar::leaveEvent(QEvent*) {
    hovering_ = false;
    ReturnFocus();
    update();
}

void ScrollBar::changeEvent(QEvent* event) {
    // Qt moves the focus away from a control that is disabled; take it again once it is usable.
    if (event->type() == QEvent::EnabledChange && isEnabled() && hovering_) {
        BorrowFocus();
    }
    QWidget::changeEvent(event);
}

void ScrollBar::BorrowFocus() {
    if (!isEnabled() || hasFocus()) {
        return;
    }
    QWidget* current = window()->focusWidget();
    if (current && current->testAttribute(Qt::WA_InputMethodEnabled)) {
        return; // someone is typing; the pointer passing over a slider must not end it
    }
    if (!focusBorrowed_) {
        previousFocus_ = current;
        focusBorrowed_ = true;
    }
    setFocus(Qt::MouseFocusReason);
}

void ScrollBar::ReturnFocus() {
    if (!focusBorrowed_) {
        return;
    }
    focusBorrowed_ = false;
    if (!hasFocus()) {
        return; // the focus has moved on by itself meanwhile
    }
    if (previousFocus_) {
        previousFocus_->setFocus(Qt::OtherFocusReason);
    } else {
        clearFocus();
    }
    previousFocus_ = nullptr;
}

} // namespace korva
