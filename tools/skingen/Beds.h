#pragma once

#include "DesignPlaces.h"
#include "SkinSet.h"

#include <QImage>

namespace korva::skingen {

// What lies under a control in the window: its parent's background with every earlier sibling image that
// covers the control. Controls draw their images over this "bed", so an opaque button blends into the
// plate it sits on at any window size.
class Beds {
public:
    Beds(const DesignForm& design, const SkinSet& skin) : design_(design), skin_(skin) {}

    // The bed of `control`, `size` pixels from its top-left corner.
    QImage Under(const QString& control, QSize size) const;
    // Whether the beds of two controls are the same picture (an image shared by both then fits both).
    bool SameBed(const QString& a, const QString& b, QSize size) const {
        return Under(a, size) == Under(b, size);
    }

    const DesignForm& Design() const { return design_; }
    int Scale() const { return skin_.Scale(); }

private:
    const DesignForm& design_;
    const SkinSet& skin_;
};

} // namespace korva::skingen
