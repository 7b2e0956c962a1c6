#include "PointResponse.h"

#include <algorithm>

namespace korva {

PhiGrid PhiGridOf(std::span<const double> hz) {
    PhiGrid g;
    g.Phi.resize(hz.size());
    g.PhiSquared.resize(hz.size());
    for (size_t i = 0; i < hz.size(); ++i) {
        g.Phi[i] = PhiOfHz(hz[i]);
        g.PhiSquared[i] = g.Phi[i] * g.Phi[i];
    }
    return g;
}

void AddSectionDb(const PhiForm<double>& f, const PhiGrid& grid, std::span<double> db, double floorDb) {
    const size_t n = std::min(db.size(), grid.Phi.size());
    for (size_t i = 0; i < n; ++i) {
        const double phi = grid.Phi[i];
        const double phiSquared = grid.PhiSquared[i];
        const double num = f.ns - f.np * phi + f.nq * phiSquared;
        const double den = f.ds - f.dp * phi + f.dq * phiSquared;
        const double ratio = num / den;
        db[i] += num > 0.0 && den > 0.0 && ratio > 0.0 ? std::max(10.0 * std::log10(ratio), floorDb) : floorDb;
    }
}

} // namespace korva
