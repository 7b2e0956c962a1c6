// korva-tuner: the tuning client. korva-tuner-demo: the same program connected to a virtual processor
// instead of the USB device.
#include "app/HidBackendChoice.h"
#include "app/TunerMain.h"
#include "app/TunerOptions.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const korva::TunerOptions options = korva::ParseTunerOptions(app);
    const std::unique_ptr<korva::HidBackend> device = korva::CreateHidBackend();
    return korva::RunTuner(app, *device, {}, options);
}
