#pragma once

#include "Beds.h"
#include "DesignPlaces.h"
#include "SkinSet.h"

#include <QPainter>

// The parts of the skin, each drawn by its own file. Backgrounds come first: the other images are drawn
// over the backgrounds they sit on (see Beds).
namespace korva::skingen {

void AddBackgrounds(SkinSet& skin, const DesignForm& design); // window, title strip, default button
void AddPanels(SkinSet& skin, const DesignForm& design);      // point grid and the three parameter panels
void AddToolbarButtons(SkinSet& skin, const Beds& beds);      // title, tool bar and EQ strip buttons
void AddPanelButtons(SkinSet& skin, const Beds& beds);        // point buttons, switch pairs, system settings
void AddDisplays(SkinSet& skin, const Beds& beds);            // digits and read-outs
void AddTracks(SkinSet& skin, const Beds& beds);              // slider tracks, thumbs and fills
void AddGraphImages(SkinSet& skin);                           // graph background, markers, bypass badge

// Draws the whole skin in dependency order, at `scale` image pixels per design pixel.
SkinSet GenerateSkin(const DesignForm& design, int scale = 1);

// Shared by the backgrounds: scale ticks beside a slider of the design data, at the slider's own thumb
// positions (`offset` moves from the slider's parent to the image being drawn).
void DrawSliderTicks(QPainter& p, const DesignControl& slider, QPointF offset, int divisions,
                     const QStringList& labels = {});
// A framed group with its caption in the top-left corner; the inside stays the plain plate colour.
void DrawGroupBox(QPainter& p, const QRectF& r, const QString& caption, const QString& english);
// A caption in Chinese followed by its English name in small capitals, optionally after an amber mark.
void DrawCaption(QPainter& p, QPointF at, const QString& caption, const QString& english, bool accent);

} // namespace korva::skingen
