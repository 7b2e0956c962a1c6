#pragma once
// A channel's settings as filter text that Room EQ Wizard and Equalizer APO load, so that a result can be
// checked in the tools users know. Bands become PK filters ("Filter 1: ON PK Fc 100 Hz Gain -3.0 dB
// Q 1.000"), cut filters high- and low-pass filters with their Q of 0.77; a Preamp line is written (APO
// only) when the channel boosts somewhere, by as much as it boosts.

#include "ChannelEq.h"

#include <QString>

namespace korva {

enum class FilterTextFormat {
    Rew, // REW "Filter Settings" text with its header and padded columns
    Apo, // Equalizer APO config / AutoEq ParametricEQ.txt
};

// note: a line for the header (REW "Notes:", APO comment), such as the channel's name; may be empty.
QString ExportFilterText(const ChannelEq& eq, FilterTextFormat format, const QString& note = {});

} // namespace korva
