#pragma once
// The command line of korva-tuner and korva-tuner-demo: --device PATH holds the window to one processor
// (default: the first one found).

#include <string>

class QCoreApplication;

namespace korva {

struct TunerOptions {
    std::string DevicePath; // empty: the first processor found
};

// Reads the application's arguments; --help, or an unknown option, prints the usage and ends the program.
TunerOptions ParseTunerOptions(const QCoreApplication& app);

} // namespace korva
