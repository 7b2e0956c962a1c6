#pragma once
// What the handlers of the main window's controls use of it: the context, the controls, their bindings,
// the refresher and the graph, and the few window services they call. frmEQ assembles it once it is built
// and hands it to each handler, so the handlers never reach for the window class itself.

#include <QWidget>
#include <cstdint>
#include <functional>

namespace korva {

struct AppContext;
class BindingTable;
class ControlRefresher;
class GraphPresenter;
class Navigator;
struct MainControls;

struct WindowParts {
    QWidget& Window; // the main window: owner of the handlers, locked whole by some edits
    AppContext& Context;
    const MainControls& Controls;
    BindingTable& Bindings;
    ControlRefresher& Refresher;
    GraphPresenter& Graph;
    std::function<double()> ZoomFactor;                 // window height ÷ design height
    std::function<void(int leftTwips)> MoveChannelIndicator;
    std::function<Navigator&()> Navigation;

    // Copies the parameter image into the bound controls (see ControlRefresher for the flag bits).
    void RefreshBoundControls(uint32_t flags, uint32_t filter);
};

} // namespace korva
