#pragma once
// The graph's overlay while tuning: the loaded measurement (moved onto its target's level), the target,
// the measurement with the channel's EQ applied, and a previewed setting with its error figures, each on
// the graph's own pixel columns (the points the channel's curve is computed on). It is rebuilt only when
// something it shows changed (the measurement, the preview, the channel's settings, the layout), so a
// redraw only draws it.

#include "eq/ChannelEq.h"
#include "eq/EqState.h"
#include "eq/GraphRenderer.h"

#include <optional>
#include <span>

namespace korva {

struct ParamModel;
struct TuningState;

class TuningOverlay {
public:
    // The overlay for the graph as it stands; nullptr when there is nothing to show (no measurement and
    // no preview), and the graph is drawn exactly as without tuning.
    const GraphOverlay* For(const TuningState& state, const ParamModel& model, const GraphGeometry& geometry);

private:
    struct Shown {
        int Version = 0;
        int Group = 0;
        GraphGeometry Geometry;
        ChannelEq Eq; // the current settings of the channel on screen
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    void Build(const TuningState& state, const ChannelEq& current, bool previewShown);
    // The channel's whole response (bands and cut filters, as the processor applies them) per column.
    std::span<const float> ResponseOf(const ChannelEq& eq);
    // The channel curve the graph draws for these settings, per column.
    std::span<const float> ChannelCurveOf(const ChannelEq& eq);

    GraphOverlay overlay_;
    std::optional<Shown> shown_;
    EqState scratch_; // the column frequencies and response buffer, kept between builds
};

} // namespace korva
