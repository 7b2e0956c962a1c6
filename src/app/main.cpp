// korva-tuner: the tuning client. korva-tuner-demo: the same program connected to a virtual processor
// instead of the USB device.
#include "app/HidBackendChoice.h"
#include "app/TunerOptions.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/QtMessageService.h"
#include "mainwindow/frmEQ.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// Start-up timing for the benchmarks: with KORVA_EXIT_AFTER_FIRST_PAINT set, the program prints one line
// once the main window has been painted for the first time, waits until its standard input is closed (so
// that the benchmark can read its memory use meanwhile) and ends.
class FirstPaintExit : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, [] {
                std::printf("first-paint\n");
                std::fflush(stdout);
                while (std::getchar() != EOF) {
                }
                QCoreApplication::exit(EXIT_SUCCESS);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const korva::TunerOptions options = korva::ParseTunerOptions(app);
    korva::QtMessageService messages;
    const std::unique_ptr<korva::HidBackend> device = korva::CreateHidBackend();
    korva::AppContext context(messages, *device);
    context.Link.Usb().SetDevicePath(options.DevicePath);
    context.Display = korva::DisplayInfo::FromPrimaryScreen();

    std::unique_ptr<korva::frmEQ> window = korva::frmEQ::Start(context, korva::frmEQ::DefaultDesignText());
    if (!window) {
        return EXIT_FAILURE;
    }
    messages.SetOwner(window.get());
    FirstPaintExit firstPaint;
    if (qEnvironmentVariableIsSet("KORVA_EXIT_AFTER_FIRST_PAINT")) {
        window->installEventFilter(&firstPaint);
    }
    window->show();
    return app.exec();
}
