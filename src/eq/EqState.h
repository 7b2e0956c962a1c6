#pragma once
// Everything the EQ graph shows for the selected channel: its points, the selection, the canvas layout and
// the response being computed. One EqState is owned by the main window and passed to the graph code.

#include "EqPoint.h"
#include "GraphGeometry.h"
#include "ResponseBuffer.h"

#include <span>

namespace korva {

struct ParamModel;

struct EqState {
    EqPointList Points{};
    int PointCount = 0;
    int SelectedPoint = 0; // the point the knobs, displays and keys act on
    GraphGeometry Geometry = ComputeGraphGeometry(GraphGeometry::kDesignWidth);
    ResponseBuffer Response;
};

// Rebuilds the point list of model.CurrentChannel from the records of model.CurrentGroup. A band whose Q
// index is 0 is read as Q 0.1 and its Q index is written back as 1 (the processor is not told).
// SelectedPoint is left alone.
void BuildEqPoints(ParamModel& model, EqState& state);

// The response buffer at the state's geometry: cleared, then one point's response added.
void ClearResponse(EqState& state);
void AddPointResponse(EqState& state, const EqPoint& point);

// The curves the graph draws for a channel, in drawing order. The effect channel shows its three bands
// summed and its two cut filters each on their own; every other channel one sum of all its points.
enum class ChannelCurve {
    Sum,
    EffectHighCut,
    EffectLowCut,
};
std::span<const ChannelCurve> ChannelCurvesOf(int channel);

// Fills state.Response with one curve of the channel (ClearResponse, then the points it sums).
void ComputeChannelCurve(EqState& state, int channel, ChannelCurve curve);

} // namespace korva
