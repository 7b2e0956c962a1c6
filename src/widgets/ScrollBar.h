#pragma once
// The skinned slider and knob: a track picture with a thumb picture that moves along one axis in whole
// steps. The owner reads and sets Value and hears Change when the user moves it (drag, keys, wheel);
// setting Value from code never raises Change.
//
// Keys and wheel act only while the pointer is over the control. Qt sends keys to the focus widget, so a
// hovered slider borrows the keyboard focus and gives it back when the pointer leaves (it never takes it
// from a text entry). Keys it does not use - everything but the four cursor keys, and the cursor keys
// while not hovered - go on to its parent, so the window's own keys keep working.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "design/SkinNumbers.h"
#include "widgets/ScrollBarGeometry.h"

namespace korva {

class SkinImages;

class ScrollBar : public QWidget {
    Q_OBJECT
    // Inverted: Value = MaxValue - position. DisplayType 1 switches it on.
    Q_PROPERTY(bool ChangeMinMax READ ChangeMinMax WRITE SetChangeMinMax)
    // 0: horizontal, 1: vertical (also sets ChangeMinMax), other: no thumb.
    Q_PROPERTY(int DisplayType READ DisplayType WRITE SetDisplayType)
    // Highest position; setting it moves the thumb to the middle.
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    // Kept for the owner; no effect inside the control.
    Q_PROPERTY(int ValueOffset READ ValueOffset WRITE SetValueOffset)
    // Value is a Q index (positions 0..29 = 1..30, 30..41 = 31, 35 .. 75).
    Q_PROPERTY(bool isQ READ IsQ WRITE SetIsQ)
    // Thumb centre at position 0 and at MaxValue, design pixels along the moving axis.
    Q_PROPERTY(int MinPos READ MinPos WRITE SetMinPos)
    Q_PROPERTY(int MaxPos READ MaxPos WRITE SetMaxPos)
    // Thumb edge on the other axis, design pixels (top edge, or left edge when vertical).
    Q_PROPERTY(int StableOtherPos READ StableOtherPos WRITE SetStableOtherPos)
    // Track picture; setting it resizes the control to the picture's size, which is its design size.
    Q_PROPERTY(int BackPic READ BackPic WRITE SetBackPic)
    Q_PROPERTY(int BarPic READ BarPic WRITE SetBarPic)
    Q_PROPERTY(QString TagNew READ TagNew WRITE SetTagNew)
    // The owner's value, 0..255 (see ScrollBarGeometry for the mapping).
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int Position READ Position)

public:
    // `skin` must outlive the control. It starts as the EQ frequency knob (kKnobTrackFreq, kThumb) with 86
    // steps, at the middle position.
    explicit ScrollBar(const SkinImages& skin, QWidget* parent = nullptr);

    bool ChangeMinMax() const { return changeMinMax_; }
    void SetChangeMinMax(bool on);
    int DisplayType() const { return displayType_; }
    void SetDisplayType(int type);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int maxValue);
    int ValueOffset() const { return valueOffset_; }
    void SetValueOffset(int offset) { valueOffset_ = offset; }
    bool IsQ() const { return isQ_; }
    void SetIsQ(bool on);
    int MinPos() const { return minPos_; }
    void SetMinPos(int pos);
    int MaxPos() const { return maxPos_; }
    void SetMaxPos(int pos);
    int StableOtherPos() const { return stableOtherPos_; }
    void SetStableOtherPos(int pos);
    int BackPic() const { return backPic_; }
    void SetBackPic(int number);
    int BarPic() const { return barPic_; }
    void SetBarPic(int number);
    QString TagNew() const { return tagNew_; }
    void SetTagNew(const QString& tag) { tagNew_ = tag; }
    int Value() const { return Geometry().ValueAt(position_); }
    // Limited to the range; never raises Change.
    void SetValue(int value);
    int Position() const { return position_; }

    // The mapping at the control's current size (scale = width ÷ the track picture's width).
    ScrollBarGeometry Geometry() const;
    bool IsHovering() const { return hovering_; }
    void Refresh() { repaint(); }

signals:
    // A press landed on the thumb.
    void ThumbDown();
    // The user moved the thumb to a new position.
    void Change();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Acts on a cursor key as the user's step; false when the key is not one of the four.
    bool StepKey(int key);
    void DrawFill(QPainter& painter, const ScrollBarGeometry& geometry) const;
    void BorrowFocus();
    void ReturnFocus();

    const SkinImages& skin_;
    bool changeMinMax_ = false;
    int displayType_ = 0;
    int maxValue_ = 86;
    int valueOffset_ = 0;
    bool isQ_ = false;
    int minPos_ = 56;
    int maxPos_ = 256;
    int stableOtherPos_ = 7;
    int backPic_ = skinnumbers::kKnobTrackFreq;
    int barPic_ = skinnumbers::kThumb;
    QString tagNew_;
    int position_ = 43;
    bool draggingThumb_ = false;
    int lastReportedPosition_ = 0;
    bool hovering_ = false;
    bool focusBorrowed_ = false;
    QPointer<QWidget> previousFocus_;
};

} // namespace korva
