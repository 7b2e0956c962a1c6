#include "GraphLayout.h"

#include "design/SkinNumbers.h"

namespace korva {

namespace {

// Whole hertz, as the point labels show them.
QString HzText(float hz) {
    return QString::number(qint64(NearestEven(hz))) + QStringLiteral("Hz");
}

// One decimal ("0.0"); a value that rounds to zero never shows a minus sign.
QString OneDecimal(float value) {
    QString text = QString::number(double(value), 'f', 1);
    if (text == QStringLiteral("-0.0")) {
        text = QStringLiteral("0.0");
    }
    return text;
}

} // namespace

std::vector<int> VerticalGridXs(const GraphGeometry& g) {
    std::vector<int> xs;
    for (int decade = 10; decade <= 1000; decade *= 10) {
        for (int k = 1; k <= 9; ++k) {
            xs.push_back(int(NearestEven(g.FreqToX(double(k * decade)))));
        }
    }
    for (double hz = 10000; hz <= GraphGeometry::kTopFrequencyHz; hz += 10000) {
        xs.push_back(int(NearestEven(g.FreqToX(hz))));
    }
    return xs;
}

std::vector<int> HorizontalGridYs(const GraphGeometry& g) {
    std::vector<int> ys;
    for (int k = 1; k <= 3; ++k) {
        ys.push_back(int(NearestEven(g.PlotTop + k * (g.PlotBottom - g.PlotTop) / 4.0)));
    }
    return ys;
}

std::vector<GraphLabel> AxisLabels(const GraphGeometry& g) {
    const double freqY = g.PlotBottom + 3;
    const double levelX = 7;
    const auto levelY = [&g](double db) { return double(g.DbToY(db)) - 6.0 * double(g.GraphScale); };
    return {
        {QStringLiteral("20Hz"), {g.FreqToX(20) - 14.0, freqY}},
        {QStringLiteral("100Hz"), {g.FreqToX(100) - 14.0, freqY}},
        {QStringLiteral("1KHz"), {g.FreqToX(1000) - 14.0, freqY}},
        {QStringLiteral("10KHz"), {g.FreqToX(10000) - 14.0, freqY}},
        {QStringLiteral("20KHz"), {g.FreqToX(20000) - 18.0, freqY}},
        {QStringLiteral("+15dB"), {levelX, levelY(15)}},
        {QStringLiteral("0"), {levelX, levelY(0)}},
        {QStringLiteral("8"), {levelX, levelY(8)}},
        {QStringLiteral("-8"), {levelX, levelY(-8)}},
        {QStringLiteral("-15dB"), {levelX, levelY(-15)}},
    };
}

QPoint MarkerCentre(const GraphGeometry& g, const EqPoint& point) {
    return {int(NearestEven(g.FreqToX(point.FrequencyHz))), int(NearestEven(g.DbToY(point.GainDb)))};
}

int MarkerImage(const EqPoint& point, int slot, bool selected) {
    switch (point.Kind) {
    case EqPointKind::Peak:
        return (selected ? skinnumbers::kMarkerBandSelected : skinnumbers::kMarkerBand) + slot;
    case EqPointKind::LowCut:
        return selected ? skinnumbers::kMarkerLowCutSelected : skinnumbers::kMarkerLowCut;
    default:
        return selected ? skinnumbers::kMarkerHighCutSelected : skinnumbers::kMarkerHighCut;
    }
}

std::vector<GraphLabel> SelectedPointLabels(const GraphGeometry& g, const EqPoint& point) {
    const QPoint centre = MarkerCentre(g, point);
    const double x = centre.x();
    const double y = centre.y();
    if (point.Kind != EqPointKind::Peak) {
        return {{HzText(point.FrequencyHz), {x - 14, y - 25}}};
    }
    const double column = g.XToFreq(x) >= 10000 ? x - 54 : x + 15;
    return {
        {HzText(point.FrequencyHz), {column, y - 16}},
        {OneDecimal(point.GainDb) + QStringLiteral("dB"), {column, y - 4}},
        {OneDecimal(point.Q) + QStringLiteral(" Q"), {column, y + 8}},
    };
}

} // namespace korva
