#pragma once
// Reads a measured response or a target ("house") curve: REW's text export (lines starting with "*" are
// comments; frequency, SPL and an optional phase separated by spaces, tabs or commas) and CSV with a
// header ("frequency,raw" as AutoEq writes it, or any header over numeric columns; the first two columns
// are used unless the header names "frequency" and "raw"). Comments ("*", "#") and blank lines are passed
// over anywhere. A field separated by spaces or tabs may use a decimal comma ("64,5"), as REW writes in
// some locales; a line separated by semicolons likewise.
//
// Refused with the file, the line and the reason: a data line that is not numbers, a frequency that is
// not above 0 or does not rise, a value that is not finite, fewer than 2 points.

#include "FrequencyCurve.h"
#include "ReadReport.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace korva {

struct MeasurementData {
    FrequencyCurve Curve; // frequency in Hz, level in dB (SPL or any reference)
    std::vector<ReadWarning> Warnings;
};

std::optional<MeasurementData> ReadMeasurementText(const QByteArray& text, const QString& fileName,
                                                   ReadError* error);
std::optional<MeasurementData> ReadMeasurementFile(const QString& path, ReadError* error);

} // namespace korva
