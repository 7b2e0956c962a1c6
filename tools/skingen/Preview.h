#pragma once

#include "DesignPlaces.h"
#include "SkinSet.h"

#include <QImage>

namespace korva::skingen {

struct PreviewOptions {
    int panel = -1;        // -1: the EQ point grid, 0..2: that parameter panel
    bool fullGrid = false; // microphone 1-2 channel (15 bands and both cuts) instead of the music channel
    bool bypass = false;   // the graph with its bypass badge
};

// The preview's model of the skinned controls. ShowNumberGlyphs: the image numbers a digit display shows
// for `value` (minus, digits, decimal point). SliderPosition: the thumb position of a slider of the design
// data for `value`, 0 at MinPos.
QList<int> ShowNumberGlyphs(int value, bool div10, int digit0, int point);
int SliderPosition(const DesignControl& slider, int value);

// The window at design size as the program would first show it, composed from the design data and the
// skin, with sample values in the read-outs, sliders and graph.
QImage RenderPreview(const DesignForm& design, const SkinSet& skin, const PreviewOptions& options);

} // namespace korva::skingen
