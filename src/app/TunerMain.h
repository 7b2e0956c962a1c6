#pragma once
// What main() of korva-tuner and korva-tuner-demo does once the application object exists: the context
// over the given HID backend, the main window, its showing and the event loop. The benchmarks' start-up
// probe runs the same code, so that what they measure is the program.

#include "app/TunerOptions.h"

#include <functional>

class QApplication;
class QWidget;

namespace korva {

class HidBackend;

// Returns the program's exit code. `beforeShow`, when given, sees the main window just before it is shown;
// `options` come from the command line.
int RunTuner(QApplication& app, HidBackend& device, const std::function<void(QWidget& window)>& beforeShow = {},
             const TunerOptions& options = {});

} // namespace korva
