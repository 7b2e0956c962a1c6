#pragma once
// Everything the program holds for one run, owned by the application and handed to the main window: the
// parameter image, the EQ graph's state, the undo history, the skin, the device link, the message
// service and what is known about the display. Tests build a fresh one per case.

#include "eq/EqState.h"
#include "mainwindow/LinkPort.h"
#include "model/ParamStore.h"
#include "model/UndoHistory.h"
#include "widgets/SkinImages.h"

#include <QSize>
#include <memory>

namespace korva {

class MessageService;

// The display the window starts on. Tests set any values they want to simulate.
struct DisplayInfo {
    QSize ScreenPx{1920, 1080};
    int TwipsPerPixelX = 15;
    int TwipsPerPixelY = 15;

    // The primary screen as the window system reports it.
    static DisplayInfo FromPrimaryScreen();
};

struct AppContext {
    // The link defaults to the offline stub; messages must outlive the context.
    explicit AppContext(MessageService& messages, std::unique_ptr<LinkPort> link = nullptr);

    MessageService& Messages;
    DisplayInfo Display;
    SkinImages Skin;
    ParamModel Model;
    EqState Eq;
    UndoHistory Undo{Model.Store};
    std::unique_ptr<LinkPort> Link;
};

} // namespace korva
