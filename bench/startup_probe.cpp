// korva-startup-probe: korva-tuner as the start-up benchmarks run it. The same start-up as the program
// (RunTuner over the hidapi backend); once the main window has been painted for the first time it prints
// "first-paint", waits until its standard input is closed (the benchmark reads its memory use meanwhile)
// and ends. Not installed.
#include "app/HidBackendChoice.h"
#include "app/TunerMain.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

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
    const std::unique_ptr<korva::HidBackend> device = korva::CreateHidBackend();
    FirstPaintExit firstPaint;
    return korva::RunTuner(app, *device,
                           [&firstPaint](QWidget& window) { window.installEventFilter(&firstPaint); });
}
