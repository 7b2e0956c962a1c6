#pragma once
// The EQ graph on the main window: lays the renderer out at Picture1's width, redraws it from the current
// point list and shows each new frame in Picture1. Redraw requests go through tmrDrawWave (1 ms, single
// shot), so a burst of requests - a drag asks on every mouse move - gives one redraw.

#include "eq/GraphRenderer.h"
#include "mainwindow/graph/SkinGraphSkin.h"

#include <QObject>
#include <functional>

class QTimer;

namespace korva {

struct AppContext;
class BindingTable;
class GraphView;

class GraphPresenter : public QObject {
    Q_OBJECT
public:
    GraphPresenter(AppContext& context, const BindingTable& bindings, GraphView& picture, QTimer& tmrDrawWave,
                   QObject* parent = nullptr);

    // Lays the graph out for Picture1's current width and display resolution and shows the empty frame.
    void LayoutGraph();
    // Recomputes the curves and shows the new frame at once.
    void RedrawGraph();
    // Asks for one redraw on the next pass of the event loop.
    void RequestRedraw();
    // Drops the off-screen images; no redraw happens after this.
    void ReleaseGraph();

    // Runs after every timer-driven redraw (the graph editing's pending point write).
    void SetAfterRedraw(std::function<void()> step) { afterRedraw_ = std::move(step); }
    // What each redraw draws besides the channel (a loaded measurement, a preview); the source returns
    // nullptr when there is nothing. An empty source draws none.
    void SetOverlaySource(std::function<const GraphOverlay*()> source) { overlaySource_ = std::move(source); }

    const GraphRenderer& Renderer() const { return renderer_; }
    int RedrawCount() const { return redrawCount_; }

private:
    void tmrDrawWave_Timer();
    BypassSwitch CurrentBypass() const;

    AppContext& context_;
    const BindingTable& bindings_;
    GraphView& picture_;
    QTimer& tmrDrawWave_;
    SkinGraphSkin skin_;
    GraphRenderer renderer_;
    std::function<void()> afterRedraw_;
    std::function<const GraphOverlay*()> overlaySource_;
    bool released_ = false;
    int redrawCount_ = 0;
};

} // namespace korva
