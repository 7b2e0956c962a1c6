#include "GraphGeometry.h"

#include "EqScales.h"

#include <algorithm>
#include <cmath>

namespace korva {

namespace {

int ScaledLength(double designPixels, float scale) {
    return int(NearestEven(designPixels * double(scale)));
}

} // namespace

GraphGeometry ComputeGraphGeometry(int widthPx) {
    GraphGeometry g;
    g.GraphScale = float(double(std::max(widthPx, 1)) / GraphGeometry::kDesignWidth);
    g.CanvasWidth = ScaledLength(GraphGeometry::kDesignWidth, g.GraphScale);
    g.CanvasHeight = ScaledLength(GraphGeometry::kDesignHeight, g.GraphScale);
    g.PlotLeft = ScaledLength(0, g.GraphScale);
    g.PlotRight = ScaledLength(1588, g.GraphScale);
    g.PlotTop = ScaledLength(10, g.GraphScale);
    g.PlotBottom = ScaledLength(350, g.GraphScale);
    g.PlotMiddle = int(NearestEven((g.PlotBottom - g.PlotTop) / 2.0 + g.PlotTop));
    g.FreqAxisOffset = ScaledLength(60, g.GraphScale);
    g.PixelsPerDecade =
        float((g.PlotRight - g.PlotLeft) / (std::log10(GraphGeometry::kTopFrequencyHz) - 1.0));
    g.ColumnCount = g.PlotRight - g.PlotLeft;
    g.DbRange = 16;
    return g;
}

float GraphGeometry::FreqToX(double hz) const {
    return float((std::log10(hz) - 1.0) * double(PixelsPerDecade) + PlotLeft - FreqAxisOffset);
}

float GraphGeometry::XToFreq(double x) const {
    return float(std::pow(10.0, 1.0 + (x - PlotLeft + FreqAxisOffset) / double(PixelsPerDecade)));
}

float GraphGeometry::DbToY(double db) const {
    if (db > DbRange) {
        return float(PlotTop);
    }
    if (db < -DbRange) {
        return float(PlotBottom);
    }
    return float(PlotMiddle + double(PlotTop - PlotBottom) * db / (2.0 * DbRange));
}

float GraphGeometry::YToDb(double y) const {
    if (y < PlotTop) {
        return float(DbRange);
    }
    if (y > PlotBottom || PlotBottom == PlotTop) {
        return float(y > PlotBottom ? -DbRange : 0);
    }
    return float(2.0 * DbRange * (PlotMiddle - y) / double(PlotBottom - PlotTop));
}

double GraphGeometry::ColumnFrequencyHz(int column) const {
    const double hz = std::pow(10.0, 1.0 + (column + FreqAxisOffset) / double(PixelsPerDecade));
    return std::min(hz, kTopFrequencyHz);
}

} // namespace korva
