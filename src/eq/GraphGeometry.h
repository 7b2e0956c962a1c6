#pragma once
// The pixel layout of the EQ graph canvas and its two axes. The graph's drawing, hit testing and dragging
// all map through this one type, so they can never disagree about where a frequency or a level lies.

#include <cstdint>

namespace korva {

struct GraphGeometry {
    // Everything below is derived from the design canvas of 1547 x 382 pixels.
    static constexpr int kDesignWidth = 1547;
    static constexpr int kDesignHeight = 382;
    static constexpr double kTopFrequencyHz = 22000.0; // the highest frequency the plot evaluates

    float GraphScale = 1.0f; // canvas width / 1547
    int CanvasWidth = 0;
    int CanvasHeight = 0;
    int PlotLeft = 0;
    int PlotRight = 0; // lies beyond the canvas's right edge (1588 at scale 1)
    int PlotTop = 0;
    int PlotBottom = 0;
    int PlotMiddle = 0;
    int FreqAxisOffset = 0; // x of 10 Hz is PlotLeft - FreqAxisOffset
    float PixelsPerDecade = 0.0f;
    int ColumnCount = 0; // one response value per pixel column
    int DbRange = 16;    // level at PlotTop is +DbRange, at PlotBottom -DbRange

    // Logarithmic frequency axis. Computed in double, handed out as float.
    float FreqToX(double hz) const;
    float XToFreq(double x) const;
    // Linear level axis, limited to +-DbRange.
    float DbToY(double db) const;
    float YToDb(double y) const;

    // Frequency evaluated at pixel column c (x = PlotLeft + c), capped at 22 kHz, in full precision.
    double ColumnFrequencyHz(int column) const;

    friend bool operator==(const GraphGeometry&, const GraphGeometry&) = default;
};

// The layout of a canvas widthPx pixels wide (at least 1 pixel is assumed).
GraphGeometry ComputeGraphGeometry(int widthPx);

} // namespace korva
