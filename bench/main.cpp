// korva-bench [NAME...]: runs every registered benchmark (or only those named) and prints
// one line per figure: NAME MEDIAN UNIT.
#include "BenchRegistry.h"

#include <QApplication>
#include <cstdlib>
#include <set>
#include <string>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::set<std::string> only;
    for (int i = 1; i < argc; ++i) {
        only.insert(argv[i]);
    }
    korva::bench::Reporter reporter;
    for (const auto& entry : korva::bench::Registry()) {
        if (only.empty() || only.count(entry.name)) {
            entry.fn(reporter);
        }
    }
    return EXIT_SUCCESS;
}
