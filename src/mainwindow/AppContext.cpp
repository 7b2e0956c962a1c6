#include "mainwindow/AppContext.h"

#include "mainwindow/StartupRules.h"

#include <QGuiApplication>
#include <QScreen>

namespace korva {

DisplayInfo DisplayInfo::FromPrimaryScreen() {
    DisplayInfo info;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        info.ScreenPx = screen->size();
        info.AvailablePx = screen->availableGeometry();
        info.TwipsPerPixelX = TwipsPerPixel(screen->logicalDotsPerInchX());
        info.TwipsPerPixelY = TwipsPerPixel(screen->logicalDotsPerInchY());
        info.DevicePixelRatio = screen->devicePixelRatio();
    }
    return info;
}

AppContext::AppContext(MessageService& messages, HidBackend& backend, const QString& logFolder)
    : Messages(messages), Device(backend, messages, logFolder) {}

} // namespace korva
