#include "mainwindow/graph/TuningOverlay.h"

#include "mainwindow/tuning/TuningState.h"
#include "model/ParamStore.h"

#include <cmath>
#include <limits>

namespace korva {

namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
constexpr double kPreviewWidth = 2.0;

std::vector<double> ColumnFrequencies(const GraphGeometry& g) {
    std::vector<double> hz(size_t(std::max(g.ColumnCount, 0)));
    for (size_t c = 0; c < hz.size(); ++c) {
        hz[c] = g.ColumnFrequencyHz(int(c));
    }
    return hz;
}

// The curve on the columns within its own frequency range (none beyond it), minus offsetDb.
std::vector<float> OnColumns(const FrequencyCurve& curve, const std::vector<double>& hz, double offsetDb = 0.0) {
    std::vector<float> db(hz.size(), kNoValue);
    if (curve.Empty()) {
        return db;
    }
    const std::vector<double> values = curve.DbAt(hz);
    for (size_t c = 0; c < hz.size(); ++c) {
        if (hz[c] >= curve.FrequencyHz.front() && hz[c] <= curve.FrequencyHz.back()) {
            db[c] = float(values[c] - offsetDb);
        }
    }
    return db;
}

QString Figure(double db) {
    return QString::number(db, 'f', 2);
}

} // namespace

const GraphOverlay* TuningOverlay::For(const TuningState& state, const ParamModel& model,
                                       const GraphGeometry& geometry) {
    if (!state.Measurement && !state.Preview) {
        shown_.reset();
        return nullptr;
    }
    const ChannelEq current = ChannelEqFromStore(model.Store, model.CurrentGroup, model.CurrentChannel);
    const Shown now{state.Version, model.CurrentGroup, geometry, current};
    if (shown_ != now) {
        scratch_.Geometry = geometry;
        const bool previewShown = state.Preview && state.Preview->Group == model.CurrentGroup &&
                                  state.Preview->Channel == current.Channel;
        Build(state, current, previewShown);
        shown_ = now;
    }
    return &overlay_;
}

void TuningOverlay::Build(const TuningState& state, const ChannelEq& current, bool previewShown) {
    overlay_ = {};
    const std::vector<double> hz = ColumnFrequencies(scratch_.Geometry);
    const TuningPreview* preview = previewShown ? &*state.Preview : nullptr;
    if (state.Measurement) {
        const LoadedMeasurement& m = *state.Measurement;
        std::vector<float> target;
        if (m.Target) {
            target = OnColumns(*m.Target, hz);
        } else {
            target = OnColumns(m.Curve, hz); // flat, where the measurement has values
            for (float& db : target) {
                db = std::isnan(db) ? kNoValue : 0.0f;
            }
        }
        std::vector<float> measured = OnColumns(m.Curve, hz, m.OffsetDb);
        std::vector<float> corrected = measured;
        const std::span<const float> response = ResponseOf(preview ? preview->Eq : current);
        for (size_t c = 0; c < corrected.size() && c < response.size(); ++c) {
            corrected[c] += response[c];
        }
        overlay_.Curves.push_back({std::move(target), GraphRenderer::kTargetColour});
        overlay_.Curves.push_back({std::move(measured), GraphRenderer::kMeasurementColour});
        overlay_.Curves.push_back({std::move(corrected), GraphRenderer::kCorrectedColour});
        overlay_.Labels.push_back({QStringLiteral("测量"), GraphRenderer::kMeasurementColour});
        overlay_.Labels.push_back({m.Target ? QStringLiteral("目标") : QStringLiteral("目标（平直）"),
                                   GraphRenderer::kTargetColour});
        overlay_.Labels.push_back({QStringLiteral("测量 + EQ"), GraphRenderer::kCorrectedColour});
    }
    if (preview) {
        if (preview->Desired) {
            overlay_.Curves.push_back({OnColumns(*preview->Desired, hz), GraphRenderer::kFilterSetColour});
            overlay_.Labels.push_back({QStringLiteral("导入的滤波器"), GraphRenderer::kFilterSetColour});
        }
        const std::span<const float> curve = ChannelCurveOf(preview->Eq);
        overlay_.Curves.push_back({std::vector<float>(curve.begin(), curve.end()), GraphRenderer::kPreviewColour,
                                   kPreviewWidth});
        overlay_.Labels.push_back(
            {QStringLiteral("预览 均方根误差 %1 dB 最大误差 %2 dB（Enter 应用，Esc 取消）")
                 .arg(Figure(preview->RmsDb), Figure(preview->MaxDb)),
             GraphRenderer::kPreviewColour});
    }
}

std::span<const float> TuningOverlay::ResponseOf(const ChannelEq& eq) {
    scratch_.Response.Clear(scratch_.Geometry);
    for (const EqPoint& point : ChannelEqPoints(eq)) {
        scratch_.Response.AddPoint(point);
    }
    return scratch_.Response.Values();
}

std::span<const float> TuningOverlay::ChannelCurveOf(const ChannelEq& eq) {
    const std::vector<EqPoint> points = ChannelEqPoints(eq);
    scratch_.Points = {};
    scratch_.PointCount = 0;
    for (const EqPoint& point : points) {
        if (scratch_.PointCount < kEqPointSlots) {
            scratch_.Points[size_t(scratch_.PointCount++)] = point;
        }
    }
    ComputeChannelCurve(scratch_, eq.Channel, ChannelCurve::Sum);
    return scratch_.Response.Values();
}

} // namespace korva
