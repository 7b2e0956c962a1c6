#pragma once
// The service's log: one line per event on standard error, which systemd hands to the journal. Under
// systemd each line carries its priority as a "<N>" prefix that the journal reads.

#include <QString>

namespace korva::korvad {

enum class LogLevel { Error = 3, Warning = 4, Info = 6 };

void Log(LogLevel level, const QString& text);

} // namespace korva::korvad
