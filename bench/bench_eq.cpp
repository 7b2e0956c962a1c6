// Figures of the EQ graph: response of the 17 points of microphone 1-2 at design width, the plain
// evaluation for comparison, building the point list, and full graph redraws per second.
#include "BenchRegistry.h"

#include "eq/BlockSkin.h"
#include "eq/EqState.h"
#include "eq/GraphRenderer.h"
#include "model/ChannelTables.h"
#include "model/ParamDefaults.h"
#include "model/ParamStore.h"

namespace {

using namespace korva;

// Factory defaults with microphone 1-2 selected, its points built at design width.
struct Mic12World {
    ParamModel model;
    EqState state;
    Mic12World() {
        InitParamDefaults(model, false);
        model.CurrentChannel = kChannelMic12;
        state.Geometry = ComputeGraphGeometry(GraphGeometry::kDesignWidth);
        BuildEqPoints(model, state);
    }
};

volatile float sink;

} // namespace

KORVA_BENCH(eq_response_17pts_us) {
    Mic12World w;
    const double us = bench::MedianMicros(2001, [&] {
        ComputeChannelCurve(w.state, kChannelMic12, ChannelCurve::Sum);
        sink = w.state.Response.At(800);
    });
    r.Figure("eq_response_17pts_us", us, "us");
}

KORVA_BENCH(eq_response_17pts_baseline_us) {
    Mic12World w;
    const double us = bench::MedianMicros(101, [&] {
        ClearResponse(w.state);
        for (int i = 0; i < w.state.PointCount; ++i) {
            w.state.Response.AddPointBaseline(w.state.Points[size_t(i)]);
        }
        sink = w.state.Response.At(800);
    });
    r.Figure("eq_response_17pts_baseline_us", us, "us");
}

KORVA_BENCH(eq_build_points_us) {
    Mic12World w;
    const double us = bench::MedianMicros(20001, [&] { BuildEqPoints(w.model, w.state); });
    r.Figure("eq_build_points_us", us, "us");
}

KORVA_BENCH(graph_redraw_fps) {
    Mic12World w;
    w.state.SelectedPoint = 6;
    BlockSkin skin;
    GraphRenderer renderer(skin);
    renderer.LayoutGraph(w.state, GraphGeometry::kDesignWidth);
    const BypassSwitch bypass{BypassAddressTable()[kChannelMic12], 0};
    for (int i = 0; i < 20; ++i) {
        renderer.RedrawGraph(w.state, kChannelMic12, bypass);
    }
    const double us =
        bench::MedianMicros(1001, [&] { renderer.RedrawGraph(w.state, kChannelMic12, bypass); });
    r.Figure("graph_redraw_fps", 1e6 / us, "fps");
}
