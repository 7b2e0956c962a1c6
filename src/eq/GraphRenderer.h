#pragma once
// Draws the EQ graph off screen: a background image (skin picture, grid, axis labels) built once per
// layout, and a frame image composed from it on every redraw (curves, point markers, the selected point's
// labels, the bypass overlay). The main window shows Frame() in its paint event.
//
// All coordinates are logical pixels of the canvas; both images hold device pixels (the display's device
// pixel ratio, carried by the images), so that the graph is drawn at the display's own resolution.

#include "EqState.h"

#include <QImage>
#include <QLineF>
#include <QPen>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

class QPainter;

namespace korva {

class GraphSkin;

// The current channel's bypass switch: its address (0xFF for none) and its DATA1 in the current group.
struct BypassSwitch {
    uint8_t Address = 0xFF;
    uint8_t Value = 1;
    // The graph is covered by the bypass overlay while the switch reads 0.
    bool ShowsOverlay() const { return Address != 0xFF && Value == 0; }
};

// What the graph shows besides the channel's own points: curves behind the channel's curves (a
// measurement, its target, the measurement with the EQ applied, a setting being previewed) and a row of
// labels across the top of the plot (what each curve is, the preview's error figures).
struct OverlayCurve {
    // One level per pixel column of the layout it was made for (dB); NaN where the curve has no value.
    std::vector<float> Db;
    QRgb Colour = 0;
    double Width = 1.5;
};

struct OverlayLabel {
    QString Text;
    QRgb Colour = 0;
};

struct GraphOverlay {
    std::vector<OverlayCurve> Curves; // drawn in order, all behind the channel's curves
    std::vector<OverlayLabel> Labels; // left to right along the top of the plot
};

class GraphRenderer {
public:
    explicit GraphRenderer(GraphSkin& skin);

    // Lays the graph out for a canvas widthPx logical pixels wide on a display of devicePixelRatio: sets
    // state.Geometry and rebuilds the background.
    void LayoutGraph(EqState& state, int widthPx, double devicePixelRatio = 1.0);

    // Recomputes the channel's curves from state.Points and composes a new frame, with the overlay's
    // curves and labels when there is one. Does nothing before the first LayoutGraph or after ReleaseGraph.
    void RedrawGraph(EqState& state, int currentChannel, BypassSwitch bypass,
                     const GraphOverlay* overlay = nullptr);

    // Drops both images; a later LayoutGraph starts afresh.
    void ReleaseGraph();

    bool IsLaidOut() const { return !frame_.isNull(); }
    // The device pixel ratio of the current layout (1 before the first).
    double DevicePixelRatio() const { return frame_.isNull() ? 1.0 : frame_.devicePixelRatio(); }
    const QImage& Frame() const { return frame_; }
    const QImage& Background() const { return background_; }

    // Colours of the graph, as ARGB.
    static constexpr QRgb kBackgroundFill = 0xFFD3D3D3;
    static constexpr QRgb kGridColour = 0x40808080;
    static constexpr QRgb kAxisLabelColour = 0xFFAAAAAA;
    static constexpr QRgb kChannelCurveColour = 0xFFFABA00;
    static constexpr QRgb kHighCutCurveColour = 0xDD64BAFA;
    static constexpr QRgb kLowCutCurveColour = 0xDDFA00BA;
    static constexpr QRgb kSelectedLabelColour = 0xB0FFFFFF;
    // The overlay's curves, from the skin's palette: a measurement in its red, the target in its dim
    // text grey, the measurement with the EQ applied in its green, a previewed setting in light amber and
    // the curve of imported filters in its blue.
    static constexpr QRgb kMeasurementColour = 0xD0FF4D3A;
    static constexpr QRgb kTargetColour = 0xD08C939C;
    static constexpr QRgb kCorrectedColour = 0xD03CD86E;
    static constexpr QRgb kPreviewColour = 0xF0FFD85C;
    static constexpr QRgb kFilterSetColour = 0xD064BAFA;

private:
    void DrawBackground(const GraphGeometry& g);
    void DrawCurve(QPainter& painter, const GraphGeometry& g, std::span<const float> values, const QPen& pen,
                   bool stopAtTopFrequency);
    void DrawMarkers(QPainter& painter, const EqState& state);
    void DrawOverlay(QPainter& painter, const GraphGeometry& g);
    void DrawOverlayLabels(QPainter& painter, const GraphGeometry& g, const GraphOverlay& overlay);
    void DrawRibbons(QPainter& painter, const QPen& pen);
    void FillRibbon(QPainter& painter, double halfWidth);
    void RecordLines(double margin);
    // Copies the background back over everything the last frame drew, which is all a new frame needs of
    // it: far less memory traffic than copying the whole background, which is large on a fine display.
    void RestoreBackground();

    GraphSkin& skin_;
    QImage background_;
    QImage frame_;
    QPen channelPen_;
    QPen highCutPen_;
    QPen lowCutPen_;
    std::vector<QLineF> segments_; // reused between redraws
    std::vector<QPointF> run_;
    std::vector<QPointF> ribbon_;
    // Where the frame differs from the background (logical pixels, generous): what the last frame drew.
    std::vector<QRectF> drawn_;
};

} // namespace korva
