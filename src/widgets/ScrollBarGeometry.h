#pragma once
// The slider's mapping between its positions, the owner's values and pixels, in both directions, so that
// drawing, hit-testing and dragging can never disagree. Positions run 0..maxValue; design pixels are
// pixels at the control's design width and scale is current width ÷ design width.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace korva {

struct ScrollBarGeometry {
    int displayType = 0;   // 0: thumb moves horizontally, 1: vertically, other: no thumb
    bool inverted = false; // value = maxValue - position
    bool isQ = false;      // values are Q indices: positions 0..29 are 1..30, 30..41 are 31, 35 .. 75
    int maxValue = 86;
    int minPos = 56;        // thumb centre at position 0, design pixels along the moving axis
    int maxPos = 256;       // thumb centre at position maxValue
    int stableOtherPos = 7; // thumb edge on the other axis (top edge, or left edge when vertical)
    QSizeF thumbSize;       // natural size of the thumb picture
    double scale = 1;

    // Thumb centre along the moving axis, design pixels.
    double ThumbCentre(int position) const;
    // Where a picture of `size` (natural pixels) goes when centred on the thumb, in control pixels.
    QRectF ThumbRect(int position, QSizeF size) const;
    QRectF ThumbRect(int position) const { return ThumbRect(position, thumbSize); }
    // Whether a press at `pixel` lands on the thumb (edges included).
    bool HitsThumb(int position, QPointF pixel) const;
    // The position whose thumb centre is nearest to the pointer, limited to 0..maxValue.
    int PositionAt(QPointF pixel) const;

    // The value the owner sees at `position`.
    int ValueAt(int position) const;
    // The position that shows `value` (taken as a byte, 0..255), limited to the range.
    int PositionFor(int value) const;
};

} // namespace korva
