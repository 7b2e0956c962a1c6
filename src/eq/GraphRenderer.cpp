#include "GraphRenderer.h"

#include "GraphLayout.h"
#include "GraphSkin.h"
#include "design/SkinNumbers.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
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

// Room around what is drawn that anti-aliasing and filtering may still touch, in logical pixels.
constexpr double kBleed = 1;
// A curve is recorded as the boxes of stretches this many columns wide, so that a flat curve dirties a
// thin band only.
constexpr size_t kStretch = 32;

// A label's text fits in this box from its top-left corner: at most 18 pixels a character (the larger,
// Chinese size) and one line.
QRectF LabelBox(const GraphLabel& label) {
    return QRectF(label.TopLeft, QSizeF(18.0 * double(label.Text.size()), 28)).adjusted(-2, -2, 2, 2);
}

// The canvas in device pixels; a fractional ratio rounds up so that the whole canvas is covered.
QSize DeviceSize(const GraphGeometry& g, double devicePixelRatio) {
    return {int(std::ceil(g.CanvasWidth * devicePixelRatio)),
            int(std::ceil(g.CanvasHeight * devicePixelRatio))};
}

} // namespace

GraphRenderer::GraphRenderer(GraphSkin& skin)
    : skin_(skin), channelPen_(CurvePen(kChannelCurveColour)), highCutPen_(CurvePen(kHighCutCurveColour)),
      lowCutPen_(CurvePen(kLowCutCurveColour)) {}

void GraphRenderer::LayoutGraph(EqState& state, int widthPx, double devicePixelRatio) {
    state.Geometry = ComputeGraphGeometry(widthPx);
    const GraphGeometry& g = state.Geometry;
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize size = DeviceSize(g, ratio);
    // A window not yet shown has no canvas: nothing to draw on until it has one.
    if (size.isEmpty()) {
        ReleaseGraph();
        return;
    }
    // A new layout of the same size draws into the images it has: on a fine display they are large, and
    // fresh memory is slow to come by.
    if (!IsLaidOut() || frame_.size() != size || frame_.devicePixelRatio() != ratio) {
        ReleaseGraph();
        for (QImage* image : {&background_, &frame_}) {
            *image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image->setDevicePixelRatio(ratio);
        }
    }
    DrawBackground(g);
    std::memcpy(frame_.bits(), background_.constBits(), size_t(background_.sizeInBytes()));
    drawn_.clear();
}

void GraphRenderer::ReleaseGraph() {
    frame_ = QImage();
    background_ = QImage();
    drawn_.clear();
}

void GraphRenderer::RestoreBackground() {
    const double ratio = frame_.devicePixelRatio();
    const qsizetype lineBytes = frame_.bytesPerLine();
    constexpr int kPixelBytes = 4;
    uchar* to = frame_.bits();
    const uchar* from = background_.constBits();
    for (const QRectF& r : drawn_) {
        const QRect device = QRectF(r.topLeft() * ratio, r.size() * ratio).toAlignedRect() & frame_.rect();
        for (int y = device.top(); y <= device.bottom(); ++y) {
            const qsizetype offset = y * lineBytes + qsizetype(device.left()) * kPixelBytes;
            std::memcpy(to + offset, from + offset, size_t(device.width()) * kPixelBytes);
        }
    }
    drawn_.clear();
}

void GraphRenderer::DrawBackground(const GraphGeometry& g) {
    background_.fill(QColor::fromRgba(kBackgroundFill));
    QPainter painter(&background_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    skin_.DrawImage(painter, skinnumbers::kGraphBackground,
                    ScaledImageRect(skin_, skinnumbers::kGraphBackground, {0, 0}, g.GraphScale));

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

void GraphRenderer::RedrawGraph(EqState& state, int currentChannel, BypassSwitch bypass,
                                const GraphOverlay* overlay) {
    const GraphGeometry& g = state.Geometry;
    if (!IsLaidOut() || frame_.size() != DeviceSize(g, frame_.devicePixelRatio())) {
        return;
    }
    RestoreBackground();
    QPainter painter(&frame_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (overlay) {
        for (const OverlayCurve& curve : overlay->Curves) {
            // A curve made for another layout would be drawn at the wrong frequencies.
            if (int(curve.Db.size()) == g.ColumnCount) {
                const QPen pen(QColor::fromRgba(curve.Colour), curve.Width, Qt::SolidLine, Qt::FlatCap,
                               Qt::BevelJoin);
                DrawCurve(painter, g, curve.Db, pen, true);
            }
        }
    }
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
    if (overlay) {
        DrawOverlayLabels(painter, g, *overlay);
    }
    if (bypass.ShowsOverlay()) {
        DrawOverlay(painter, g);
    }
}

// Segments are drawn only where both ends lie strictly inside the plot, so a curve that reaches +-16 dB
// leaves a gap rather than running flat along the edge. At one device pixel per pixel the segments go out
// in one call as separate two-point lines: the raster engine fills a wide two-point line directly, which is
// several times faster than stroking the same curve as a polyline. On a finer display the anti-aliased
// seams between separate lines would show, so each unbroken run is filled there as one ribbon instead.
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
    if (frame_.devicePixelRatio() > 1) {
        DrawRibbons(painter, pen);
    } else {
        painter.drawLines(segments_.data(), int(segments_.size()));
        RecordLines(pen.widthF() / 2 + kBleed);
    }
}

// A run of the curve (points one pixel apart) as a filled polygon of the pen's width: each point is moved
// up and down by half the width, stretched by its slope so that the band keeps its width across the curve.
// Filling is far cheaper than stroking a polyline of the same points.
void GraphRenderer::FillRibbon(QPainter& painter, double halfWidth) {
    const size_t n = run_.size();
    ribbon_.resize(2 * n);
    for (size_t i = 0; i < n; ++i) {
        const QPointF& before = run_[i > 0 ? i - 1 : 0];
        const QPointF& after = run_[std::min(i + 1, n - 1)];
        const double rise = (after.y() - before.y()) / (after.x() - before.x());
        const double h = halfWidth * std::sqrt(1 + rise * rise);
        ribbon_[i] = QPointF(run_[i].x(), run_[i].y() - h);
        ribbon_[2 * n - 1 - i] = QPointF(run_[i].x(), run_[i].y() + h);
    }
    painter.drawPolygon(ribbon_.data(), int(ribbon_.size()), Qt::WindingFill);
    for (size_t first = 0; first < n; first += kStretch) {
        const size_t end = std::min(n, first + kStretch);
        double top = ribbon_[first].y();
        double bottom = ribbon_[2 * n - 1 - first].y();
        for (size_t i = first; i < end; ++i) {
            top = std::min(top, ribbon_[i].y());
            bottom = std::max(bottom, ribbon_[2 * n - 1 - i].y());
        }
        drawn_.push_back(QRectF(QPointF(run_[first].x(), top), QPointF(run_[end - 1].x(), bottom))
                             .adjusted(-kBleed, -kBleed, kBleed, kBleed));
    }
}

void GraphRenderer::DrawRibbons(QPainter& painter, const QPen& pen) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    const double halfWidth = pen.widthF() / 2;
    run_.clear();
    for (const QLineF& segment : segments_) {
        if (!run_.empty() && run_.back() != segment.p1()) {
            FillRibbon(painter, halfWidth);
            run_.clear();
        }
        if (run_.empty()) {
            run_.push_back(segment.p1());
        }
        run_.push_back(segment.p2());
    }
    if (!run_.empty()) {
        FillRibbon(painter, halfWidth);
    }
    painter.restore();
}

void GraphRenderer::RecordLines(double margin) {
    for (size_t first = 0; first < segments_.size(); first += kStretch) {
        const size_t end = std::min(segments_.size(), first + kStretch);
        double top = segments_[first].y1();
        double bottom = top;
        for (size_t i = first; i < end; ++i) {
            top = std::min({top, segments_[i].y1(), segments_[i].y2()});
            bottom = std::max({bottom, segments_[i].y1(), segments_[i].y2()});
        }
        const double left = segments_[first].x1();
        const double right = segments_[end - 1].x2();
        drawn_.push_back(
            QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-margin, -margin, margin, margin));
    }
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
        const QRectF target(QPointF(centre.x() - kMarkerOffset, centre.y() - kMarkerOffset),
                            skin_.ImageSize(image));
        skin_.DrawImage(painter, image, target);
        drawn_.push_back(target.adjusted(-kBleed, -kBleed, kBleed, kBleed));
        if (selected) {
            for (const GraphLabel& label : SelectedPointLabels(g, point)) {
                skin_.DrawText(painter, label.Text, kSelectedLabelColour, label.TopLeft);
                drawn_.push_back(LabelBox(label));
            }
        }
    }
}

// The labels start above 20 Hz, clear of the level labels, each after the one before it.
void GraphRenderer::DrawOverlayLabels(QPainter& painter, const GraphGeometry& g, const GraphOverlay& overlay) {
    constexpr double kGap = 16;
    QPointF at(double(g.FreqToX(20)), g.PlotTop + 4 * double(g.GraphScale));
    for (const OverlayLabel& label : overlay.Labels) {
        skin_.DrawText(painter, label.Text, label.Colour, at);
        const QRectF box = LabelBox({label.Text, at});
        drawn_.push_back(box);
        at.setX(at.x() + QFontMetricsF(SkinTextFont(label.Text)).horizontalAdvance(label.Text) + kGap);
    }
}

void GraphRenderer::DrawOverlay(QPainter& painter, const GraphGeometry& g) {
    const double scale = g.GraphScale;
    const QRectF target =
        ScaledImageRect(skin_, skinnumbers::kBypassOverlay, {620 * scale, 200 * scale}, g.GraphScale);
    skin_.DrawImage(painter, skinnumbers::kBypassOverlay, target);
    drawn_.push_back(target.adjusted(-kBleed, -kBleed, kBleed, kBleed));
}

} // namespace korva
