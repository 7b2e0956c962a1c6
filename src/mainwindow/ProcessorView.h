#pragma once
// The main window's side of what the processor announces: the link indicator and the pictures that show
// the link state, the progress bar and the window's lock while a bulk transfer runs, the tone slider's
// return to its middle, and the bound controls following every change of the parameter image.

#include "mainwindow/editing/EditLock.h"

#include <QObject>
#include <optional>

namespace korva {

class Processor;
struct WindowParts;

class ProcessorView : public QObject {
    Q_OBJECT
public:
    static constexpr int kLinkIndicatorOffline = 0;
    static constexpr int kLinkIndicatorOnline = 6;

    // Both must outlive the view; it is a child of the window.
    ProcessorView(Processor& processor, WindowParts& window);

private:
    void ShowOnline(bool online);
    void BeginTransfer(int maximum);
    void EndTransfer();

    WindowParts& window_;
    // The window's lock while a bulk transfer runs; it gives the keyboard focus back afterwards.
    std::optional<EditLock> bulkLock_;
};

} // namespace korva
