#include "mainwindow/LayoutScaler.h"

#include "design/Twips.h"

namespace korva {

void LayoutScaler::RecordLayout(QSize designSizePx, const std::vector<Placement>& placements) {
    designSize_ = designSizePx;
    remembered_.clear();
    remembered_.reserve(placements.size());
    for (const Placement& p : placements) {
        if (p.Widget) {
            remembered_.push_back({p.Widget, p.Twips});
        }
    }
}

void LayoutScaler::ScaleLayout(QSize currentSizePx) {
    if (designSize_.isEmpty()) {
        return;
    }
    horizontal_ = double(currentSizePx.width()) / designSize_.width();
    vertical_ = double(currentSizePx.height()) / designSize_.height();
    for (const Remembered& r : remembered_) {
        if (r.Widget) {
            r.Widget->setGeometry(TwipsToPixels(r.Twips, horizontal_, vertical_));
        }
    }
}

void LayoutScaler::SetDesignRect(QWidget* widget, const QRect& twips) {
    for (Remembered& r : remembered_) {
        if (r.Widget == widget) {
            r.Twips = twips;
            return;
        }
    }
    remembered_.push_back({widget, twips});
}

std::optional<QRect> LayoutScaler::DesignRect(const QWidget* widget) const {
    for (const Remembered& r : remembered_) {
        if (r.Widget == widget) {
            return r.Twips;
        }
    }
    return std::nullopt;
}

} // namespace korva
