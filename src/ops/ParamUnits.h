#pragma once
// Stored bytes <-> user values of the named parameters (Hz, dB, Q, ms, steps, choices), with the window's
// scales, rounding and limits: the point grid's displays and numeric entry use the same functions.

#include "ops/ParamTable.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace korva {

// The user value of a stored byte: Hz, dB, Q, ms, the byte plus UserOffset, or the choice index.
double RawToUser(const ParamDef& def, uint8_t raw);

// A stored byte with its unit, as the command line prints it: "1000 Hz", "-3.2 dB", "1.4", "230 ms", "73",
// "on". A byte that names no choice prints as its number.
QString FormatParamRaw(const ParamDef& def, uint8_t raw);

// The values the parameter accepts, in user units: "18 Hz – 20000 Hz", "-15.0 dB – 15.0 dB", "on、off".
QString ValidRangeText(const ParamDef& def);

// Why ParseParamValue refused a text.
enum class ParamValueFault {
    None,
    NotAValue,  // not a number with the parameter's unit, not a whole number of steps, no such switch name
    OutOfRange, // a number outside the valid range
};

// A user value ("1000", "1000 Hz", "1.2k", "-3.2dB", "on") as the byte it is stored as. Values outside the
// valid range are refused (never clamped) with a Chinese reason naming the range; values inside it go to
// the byte the window would store for them (the frequency grid, the 0.2 dB steps, the Q scale, the nearest
// echo delay of the table).
std::optional<uint8_t> ParseParamValue(const ParamDef& def, const QString& text, QString* error = nullptr,
                                       ParamValueFault* fault = nullptr);

// The number a user value asks for, in the parameter's unit ("1.2k" is 1200), before it is put on the
// parameter's scale; std::nullopt for switches and for texts that are not a number.
std::optional<double> RequestedUserValue(const ParamDef& def, const QString& text);

// The byte a typed EQ value is stored as, after the limits of its field: data index 0 a frequency (18 ..
// 20000 Hz, on the grid, a cut filter also within its channel's range), 1 a gain (-15 .. +15 dB, to the
// nearest 0.2 dB step), 2 a Q (0.1 .. 15, to the nearest Q of the scale). Ties go to the even index.
uint8_t EqEntryIndex(int dataIndex, double value, EqPointKind kind, int channel);

// The whole number a point-grid display shows for one byte of an EQ record: data index 0 hertz, 1 tenths
// of a dB, 2 tenths of Q.
int EqShownValue(int dataIndex, uint8_t byte);

} // namespace korva
