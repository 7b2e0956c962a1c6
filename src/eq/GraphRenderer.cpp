#include "GraphRenderer.h"

#include "GraphLayout.h"
#include "GraphSkin.h"

#include <QPainter>
#include <cmath>
#include <cstring>

namespace korva {

namespace {

QPen CurvePen(QRgb argb) {
    return QPen(QColor::fromRgba(argb), 3, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
}

// A skin image scaled with the graph, as the background picture and the bypass overlay are.
QRectF ScaledImageRect(const GraphSkin& skin, int number, QPointF topLeft, float scale) {
    const QSize natural = skin.ImageSize(number);
    return {topLeft, QSizeF(NearestEven(natural.width() * double(scale)),
                            NearestEven(natural.height() * double(scale)))};
}

// The canvas in device pixels; a fractional ratio rounds up so that the whole canvas is covered.
QSize DeviceSize(const GraphGeometry& g, double devicePixelRatio) {
    return {int(std::ceil(g.CanvasWidth * devicePixelRatio)), int(std::ceil(g.CanvasHeight * devicePixelRatio))};
}

} // namespace

GraphRenderer::GraphRenderer(GraphSkin& skin)
    : skin_(skin), channelPen_(CurvePen(kChannelCurveColour)), highCutPen_(CurvePen(kHighCutCurveColour)),
      lowCutPen_(CurvePen(kLowCutCurveColour)) {}

void GraphRenderer::LayoutGraph(EqState& state, int widthPx, double devicePixelRatio) {
    state.Geometry = ComputeGraphGeometry(widthPx);
    const GraphGeometry& g = state.Geometry;
    ReleaseGraph();
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    background_ = QImage(DeviceSize(g, ratio), QImage::Format_ARGB32_Premultiplied);
    background_.setDevicePixelRatio(ratio);
    DrawBackground(g);
    frame_ = background_.copy();
}

void GraphRenderer::ReleaseGraph() {
    frame_ = QImage();
    background_ = QImage();
}

void GraphRenderer::DrawBackground(const GraphGeometry& g) {
    background_.fill(QColor::fromRgba(kBackgroundFill));
    QPainter painter(&background_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    skin_.DrawImage(painter, kBackgroundImage,
                    ScaledImageRect(skin_, kBackgroundImage, {0, 0}, g.GraphScale));

    // Grid lines are straight and one pixel wide: no anti-aliasing, so each covers exactly its column/row.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgba(kGridColour), 1));
    for (int x : VerticalGridXs(g)) {
        painter.drawLine(x, g.PlotTop, x, g.PlotBottom);
    }
    for (int y : HorizontalGridYs(g)) {
        painter.drawLine(g.PlotLeft, y, g.PlotRight, y);
    }
    for (const GraphLabel& label : AxisLabels(g)) {
        skin_.DrawText(painter, label.Text, kAxisLabelColour, label.TopLeft);
    }
}

void GraphRenderer::RedrawGraph(EqState& state, int currentChannel, BypassSwitch bypass) {
    const GraphGeometry& g = state.Geometry;
    if (!IsLaidOut() || frame_.size() != DeviceSize(g, frame_.devicePixelRatio())) {
        return;
    }
    std::memcpy(frame_.bits(), background_.constBits(), size_t(background_.sizeInBytes()));
    QPainter painter(&frame_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (ChannelCurve curve : ChannelCurvesOf(currentChannel)) {
        ComputeChannelCurve(state, currentChannel, curve);
        switch (curve) {
        case ChannelCurve::Sum:
            DrawCurve(painter, g, state.Response.Values(), channelPen_, true);
            break;
        case ChannelCurve::EffectHighCut:
            DrawCurve(painter, g, state.Response.Values(), highCutPen_, false);
            break;
        case ChannelCurve::EffectLowCut:
            DrawCurve(painter, g, state.Response.Values(), lowCutPen_, false);
            break;
        }
    }
    DrawMarkers(painter, state);
    if (bypass.ShowsOverlay()) {
        DrawOverlay(painter, g);
    }
}

// Segments are drawn only where both ends lie strictly inside the plot, so a curve that reaches +-16 dB
// leaves a gap rather than running flat along the edge. The segments go out in one call as separate
// two-point lines: the raster engine fills a wide two-point line directly, which is several times faster
// than stroking the same curve as a polyline.
void GraphRenderer::DrawCurve(QPainter& painter, const GraphGeometry& g, std::span<const float> values,
                              const QPen& pen, bool stopAtTopFrequency) {
    if (values.size() < 2) {
        return;
    }
    const double lastX = stopAtTopFrequency ? double(g.FreqToX(GraphGeometry::kTopFrequencyHz))
                                            : double(g.PlotLeft + int(values.size()) - 1);
    const auto inside = [&g](float y) { return y > float(g.PlotTop) && y < float(g.PlotBottom); };
    segments_.clear();
    float previousY = g.DbToY(values[0]);
    for (size_t c = 1; c < values.size(); ++c) {
        const double x = g.PlotLeft + double(c);
        if (x > lastX) {
            break;
        }
        const float y = g.DbToY(values[c]);
        if (inside(previousY) && inside(y)) {
            segments_.emplace_back(x - 1, previousY, x, y);
        }
        previousY = y;
    }
    painter.setPen(pen);
    painter.drawLines(segments_.data(), int(segments_.size()));
}

void GraphRenderer::DrawMarkers(QPainter& painter, const EqState& state) {
    const GraphGeometry& g = state.Geometry;
    for (int slot = 0; slot < kEqPointSlots; ++slot) {
        const EqPoint& point = state.Points[size_t(slot)];
        if (!point.InUse) {
            continue;
        }
        const bool selected = slot == state.SelectedPoint;
        const int image = MarkerImage(point, slot, selected);
        const QPoint centre = MarkerCentre(g, point);
        skin_.DrawImage(
            painter, image,
            QRectF(QPointF(centre.x() - kMarkerOffset, centre.y() - kMarkerOffset), skin_.ImageSize(image)));
        if (selected) {
            for (const GraphLabel& label : SelectedPointLabels(g, point)) {
                skin_.DrawText(painter, label.Text, kSelectedLabelColour, label.TopLeft);
            }
        }
    }
}

void GraphRenderer::DrawOverlay(QPainter& painter, const GraphGeometry& g) {
    const double scale = g.GraphScale;
    skin_.DrawImage(painter, kBypassOverlayImage,
                    ScaledImageRect(skin_, kBypassOverlayImage, {620 * scale, 200 * scale}, g.GraphScale));
}

} // namespace korva
