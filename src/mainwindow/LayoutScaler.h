#pragma once
// Keeps every control in its proportional place when the window changes size: the rectangles of all
// controls are remembered once, in twips at design scale, and every resize places them anew from there.

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <optional>
#include <vector>

namespace korva {

class LayoutScaler {
public:
    struct Placement {
        QWidget* Widget = nullptr;
        QRect Twips; // relative to the parent, at design scale
    };

    // Remembers the window's size as the design size and the rectangle of every control.
    void RecordLayout(QSize designSizePx, const std::vector<Placement>& placements);

    // Factors current size ÷ design size; every remembered control still alive is placed anew.
    void ScaleLayout(QSize currentSizePx);

    // Changes the remembered rectangle of one control (for controls the window moves by itself).
    void SetDesignRect(QWidget* widget, const QRect& twips);
    std::optional<QRect> DesignRect(const QWidget* widget) const;

    QSize DesignSize() const { return designSize_; }
    double HorizontalFactor() const { return horizontal_; }
    double VerticalFactor() const { return vertical_; }

private:
    struct Remembered {
        QPointer<QWidget> Widget;
        QRect Twips;
    };
    std::vector<Remembered> remembered_;
    QSize designSize_;
    double horizontal_ = 1.0;
    double vertical_ = 1.0;
};

} // namespace korva
