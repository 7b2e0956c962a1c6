#include "app/TunerMain.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/QtMessageService.h"
#include "mainwindow/frmEQ.h"
#include "widgets/AppStyle.h"

#include <QApplication>
#include <cstdlib>

namespace korva {

int RunTuner(QApplication& app, HidBackend& device, const std::function<void(QWidget& window)>& beforeShow,
             const TunerOptions& options) {
    ApplyAppStyle();
    QtMessageService messages;
    AppContext context(messages, device);
    context.Link.Usb().SetDevicePath(options.DevicePath);
    context.Display = DisplayInfo::FromPrimaryScreen();

    std::unique_ptr<frmEQ> window = frmEQ::Start(context, frmEQ::DefaultDesignText());
    if (!window) {
        return EXIT_FAILURE;
    }
    messages.SetOwner(window.get());
    if (beforeShow) {
        beforeShow(*window);
    }
    window->show();
    return app.exec();
}

} // namespace korva
