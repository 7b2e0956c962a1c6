#pragma once
// Display values of effect parameters: most bytes are shown as they are, the echo delay through a table.

#include <QString>
#include <array>
#include <cstdint>

namespace korva {

extern const QString kEchoDelayTableText;
const std::array<int, 32>& EchoDelayTable();

// Text of a DATA1 byte for a display kind ("Value", "EchoDly", "RevTime"; anything else gives empty text).
// An echo delay above 31 is first clamped to 31 in the store cell itself, so the processor and preset files
// get the value the display shows.
QString FormatParamValue(uint8_t& cell, const QString& kind);

} // namespace korva
