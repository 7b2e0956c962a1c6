#include "ResponseBuffer.h"

#include "BiquadSection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korva {

namespace {

// Points multiplied into one product before it is folded: each point's numerator and denominator stay
// within about 1e-16 .. 1e4 (normalised by a0^2), so twelve of them cannot leave the range of a double.
constexpr int kPointsPerChunk = 12;

// Beyond these the folded ratio is moved into foldedDb_ so that it never over- or underflows.
constexpr double kRatioLow = 1e-150;
constexpr double kRatioHigh = 1e150;

} // namespace

void ResponseBuffer::Clear(const GraphGeometry& geometry) {
    geometry_ = geometry;
    const size_t n = size_t(std::max(geometry.ColumnCount, 0));
    values_.assign(n, 0.0f);
    numerator_.assign(n, 1.0);
    denominator_.assign(n, 1.0);
    ratio_.assign(n, 1.0);
    foldedDb_.assign(n, 0.0);
    invalid_.assign(n, 0);
    chunkPoints_ = 0;
    pending_ = false;
}

void ResponseBuffer::CacheColumnPhi() {
    if (phiValid_ && phiGeometry_ == geometry_) {
        return;
    }
    const int n = ColumnCount();
    phi_.resize(size_t(n));
    phiSquared_.resize(size_t(n));
    for (int c = 0; c < n; ++c) {
        const double s = std::sin(geometry_.ColumnFrequencyHz(c) * std::numbers::pi / kEqSampleRateHz);
        phi_[size_t(c)] = s * s;
        phiSquared_[size_t(c)] = s * s * s * s;
    }
    phiGeometry_ = geometry_;
    phiValid_ = true;
}

void ResponseBuffer::AddPoint(const EqPoint& point) {
    const int n = ColumnCount();
    if (n == 0) {
        return;
    }
    CacheColumnPhi();
    if (chunkPoints_ == kPointsPerChunk) {
        FoldPending();
    }
    const PhiForm<double> f = NormalisedPhiForm(point);

    const double* phi = phi_.data();
    const double* phiSquared = phiSquared_.data();
    double* num = numerator_.data();
    double* den = denominator_.data();
    for (int c = 0; c < n; ++c) {
        num[c] *= f.ns - f.np * phi[c] + f.nq * phiSquared[c];
        den[c] *= f.ds - f.dp * phi[c] + f.dq * phiSquared[c];
    }
    ++chunkPoints_;
    pending_ = true;
}

void ResponseBuffer::FoldPending() {
    const int n = ColumnCount();
    for (int c = 0; c < n; ++c) {
        double r = ratio_[size_t(c)] * (numerator_[size_t(c)] / denominator_[size_t(c)]);
        if (!(r > kRatioLow && r < kRatioHigh)) {
            if (r > 0.0 && std::isfinite(r)) {
                foldedDb_[size_t(c)] += 10.0 * std::log10(r);
            } else {
                invalid_[size_t(c)] = 1;
            }
            r = 1.0;
        }
        ratio_[size_t(c)] = r;
        numerator_[size_t(c)] = 1.0;
        denominator_[size_t(c)] = 1.0;
    }
    chunkPoints_ = 0;
}

void ResponseBuffer::Finish() {
    if (!pending_) {
        return;
    }
    FoldPending();
    const int n = ColumnCount();
    double previous = 0.0;
    for (int c = 0; c < n; ++c) {
        const size_t i = size_t(c);
        const double db = invalid_[i] ? previous : foldedDb_[i] + 10.0 * std::log10(ratio_[i]);
        values_[i] += float(db);
        previous = db;
        ratio_[i] = 1.0;
        foldedDb_[i] = 0.0;
        invalid_[i] = 0;
    }
    pending_ = false;
}

std::span<const float> ResponseBuffer::Values() {
    Finish();
    return values_;
}

void ResponseBuffer::AddPointBaseline(const EqPoint& point) {
    Finish();
    const Biquad<float> q = SectionOf(point, 0.0001308996f);
    const PhiForm<float> f = PhiFormOf(q);
    float v = 0.0f;
    for (int c = 0; c < ColumnCount(); ++c) {
        const float hz =
            std::min(geometry_.XToFreq(geometry_.PlotLeft + c), float(GraphGeometry::kTopFrequencyHz));
        const float theta = hz * 0.0000654498f;
        const float phi = std::sin(theta) * std::sin(theta);
        const float phiSquared = phi * phi;
        const float num = f.ns - f.np * phi + f.nq * phiSquared;
        const float den = f.ds - f.dp * phi + f.dq * phiSquared;
        // Single precision can push a tiny |H|^2 below zero at the lowest columns; such a column keeps the
        // value before it, like one whose numerator or denominator is exactly 0.
        if (num > 0.0f && den > 0.0f) {
            v = 10.0f * std::log10(num) - 10.0f * std::log10(den);
        }
        values_[size_t(c)] += v;
    }
}

} // namespace korva
