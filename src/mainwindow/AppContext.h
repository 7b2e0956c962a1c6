#pragma once
// Everything the program holds for one run, owned by the application and handed to the main window: the
// processor (its parameter image, undo history and link with its log), the EQ graph's state, the skin,
// the message service and what is known about the display. Tests build a fresh one per case, usually over a
// virtual processor.

#include "design/Twips.h"
#include "eq/EqState.h"
#include "processor/Processor.h"
#include "widgets/SkinImages.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace korva {

class HidBackend;
class MessageService;

// The display the window starts on. Tests set any values they want to simulate. Sizes are in logical
// pixels: at 125 % scaling a 1366 x 768 screen is 1093 x 614 of them.
struct DisplayInfo {
    QSize ScreenPx{1920, 1080};
    QRect AvailablePx{0, 0, 1920, 1080}; // the part of the screen windows may take (no task bars)
    int TwipsPerPixelX = kTwipsPerPixel;
    int TwipsPerPixelY = kTwipsPerPixel;
    // Device pixels per logical pixel: which skin pictures the window decodes at start-up.
    double DevicePixelRatio = 1.0;

    // The primary screen as the window system reports it.
    static DisplayInfo FromPrimaryScreen();
};

struct AppContext {
    // messages and backend (hidapi, or the virtual processor) must outlive the context. logFolder: where
    // the communication log file goes (empty: the program's folder).
    AppContext(MessageService& messages, HidBackend& backend, const QString& logFolder = QString());

    MessageService& Messages;
    DisplayInfo Display;
    SkinImages Skin;
    EqState Eq;
    Processor Device;
    // The processor's parts, by the names the window has always used for them.
    ParamModel& Model = Device.Model();
    UndoHistory& Undo = Device.History();
    DeviceLink& Link = Device.Link();
};

} // namespace korva
