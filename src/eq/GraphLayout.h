#pragma once
// Where the parts of the EQ graph go on the canvas: grid lines, axis labels, point markers and the labels
// of the selected point. Pure functions of the geometry, shared by the renderer and the hit test.

#include "EqPoint.h"
#include "GraphGeometry.h"

#include <QPoint>
#include <QPointF>
#include <QString>
#include <vector>

namespace korva {

struct GraphLabel {
    QString Text;
    QPointF TopLeft;
};

// x of the vertical grid lines (10, 20 ... 90 Hz, 100 ... 900 Hz, 1 ... 9 kHz, 10 and 20 kHz); the 10 Hz line
// lies left of the canvas.
std::vector<int> VerticalGridXs(const GraphGeometry& g);
// y of the horizontal grid lines at +8, 0 and -8 dB.
std::vector<int> HorizontalGridYs(const GraphGeometry& g);

// "20Hz" ... "20KHz" under the plot and "+15dB", "0", "8", "-8", "-15dB" at its left edge.
std::vector<GraphLabel> AxisLabels(const GraphGeometry& g);

// The marker's centre: the point's frequency and level rounded to whole pixels.
QPoint MarkerCentre(const GraphGeometry& g, const EqPoint& point);
// Skin image of the marker in a slot: kMarkerBand + k for band k, kMarkerHighCut, kMarkerLowCut, and their
// selected looks (design/SkinNumbers.h).
int MarkerImage(const EqPoint& point, int slot, bool selected);
// Marker images are drawn with their top-left corner this far up and left of the centre.
constexpr int kMarkerOffset = 10;

// Labels of the selected point: "230Hz" above a cut filter; frequency, gain and Q beside a band, on its left
// when the band lies at 10 kHz or above.
std::vector<GraphLabel> SelectedPointLabels(const GraphGeometry& g, const EqPoint& point);

} // namespace korva
