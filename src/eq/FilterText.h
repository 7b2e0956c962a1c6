#pragma once
// Reads the filter text that Room EQ Wizard ("Filter Settings" export), Equalizer APO (config.txt) and
// AutoEq (ParametricEQ.txt) write. One reader takes all three: they share the line
//   Filter  1: ON  PK       Fc   100.0 Hz  Gain  -3.00 dB  Q  1.000
// with REW padding its columns, writing "None" for empty slots, the user's decimal comma ("64,0") and
// "BW Oct" instead of "Q" for some equalisers, and APO adding "Preamp: -6.3 dB" lines (they add up),
// filter numbers that may be left out and further commands.
//
// Tolerated and reported as warnings: OFF filters, filter types that are not understood (types are
// case-sensitive, as in APO), APO commands that do not describe this EQ (GraphicEQ, Convolution, Include,
// Delay ...), the filters of a second channel selection. Header lines, comments and None slots are passed
// over silently. Refused with the file, the line and the reason: a known filter with a value that is not
// a number, out of range or missing (a peaking filter without gain or width), a file that holds no filter.

#include "ReadReport.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace korva {

enum class TextFilterType {
    Peaking,   // PK, PEQ, Modal
    LowPass,   // LP, LPQ
    HighPass,  // HP, HPQ
    LowShelf,  // LS, LSC
    HighShelf, // HS, HSC
    Notch,     // NO
    BandPass,  // BP
    AllPass,   // AP
};

// How the width of a filter was written.
enum class FilterWidthKind {
    Default,      // not given: Q 0.707 for LP/HP/BP, slope S 0.9 for shelves, Q 30 for a notch
    Q,            // "Q 1.41"
    BandwidthOct, // "BW Oct 0.5"
    SlopeDb,      // shelves: "LSC 12 dB" / "LS 6dB", dB per octave (12 dB is the cookbook's S = 1)
};

struct TextFilter {
    TextFilterType Type = TextFilterType::Peaking;
    QString TypeText; // as written: "PK", "LSC", "HPQ"
    double FrequencyHz = 0.0;
    double GainDb = 0.0; // 0 for types without gain
    FilterWidthKind WidthKind = FilterWidthKind::Default;
    double Width = 0.0; // Q, octaves or dB per octave, by WidthKind
    // LS / HS with an explicit slope or Q name their corner frequency; the section's centre lies
    // 10^(|gain| / (80 * width)) further into the shelf. LSC / HSC name the centre.
    bool CornerFrequency = false;
    int Line = 0; // where it was read
};

struct FilterSet {
    double PreampDb = 0.0;           // all Preamp lines summed
    std::vector<TextFilter> Filters; // the ON filters that were understood, in file order
    std::vector<ReadWarning> Warnings;
};

// Reads filter text from memory; fileName only names the file in the error. std::nullopt with *error set
// when the text cannot be read whole.
std::optional<FilterSet> ReadFilterText(const QByteArray& text, const QString& fileName, ReadError* error);

// The same from a file (its name in messages is the file name without the folder).
std::optional<FilterSet> ReadFilterFile(const QString& path, ReadError* error);

} // namespace korva
