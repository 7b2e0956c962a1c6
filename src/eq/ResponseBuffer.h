#pragma once
// The magnitude response of EQ points on the graph's pixel columns, in dB, summed over the points added
// since the last Clear.
//
// Each point is a digital biquad at 48 kHz (peaking, high-pass or low-pass section of the usual audio-EQ
// cookbook), evaluated in the cookbook's magnitude form in phi = sin^2(w / 2). AddPoint is the fast path:
// phi per column is cached per geometry, and each point only multiplies its numerator and denominator into
// running products, so a curve of any number of points costs one logarithm per column. AddPointBaseline is
// the plain evaluation (column sines and two logarithms per column and point, single precision) kept as a
// reference.

#include "EqPoint.h"
#include "GraphGeometry.h"

#include <span>
#include <vector>

namespace korva {

class ResponseBuffer {
public:
    // Starts a new curve of geometry.ColumnCount columns, all 0 dB.
    void Clear(const GraphGeometry& geometry);

    // Adds the response of one point to every column.
    void AddPoint(const EqPoint& point);
    void AddPointBaseline(const EqPoint& point);

    // The curve in dB, one value per column. Finishes any pending work of AddPoint first.
    std::span<const float> Values();
    float At(int column) { return Values()[column]; }

    int ColumnCount() const { return int(values_.size()); }
    const GraphGeometry& Geometry() const { return geometry_; }

private:
    void CacheColumnPhi();
    void FoldPending();
    void Finish();

    GraphGeometry geometry_;
    std::vector<float> values_;

    // Per column: phi and phi^2 of the column frequency, valid for phiGeometry_.
    std::vector<double> phi_;
    std::vector<double> phiSquared_;
    GraphGeometry phiGeometry_;
    bool phiValid_ = false;

    // Work of AddPoint not yet folded into values_: products of numerators and denominators of the points
    // of the current chunk, the ratio of the chunks folded so far, and dB already taken out of that ratio
    // to keep it in range. A column whose numerator or denominator became 0 (or not finite) keeps the value
    // of the column before it.
    std::vector<double> numerator_;
    std::vector<double> denominator_;
    std::vector<double> ratio_;
    std::vector<double> foldedDb_;
    std::vector<char> invalid_;
    int chunkPoints_ = 0;
    bool pending_ = false;
};

} // namespace korva
