#include "EqScales.h"

#include "model/ChannelTables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace korva {

namespace {

// Float callers hand over decimal values such as 0.3 dB a few 1e-6 off; within this distance of a
// half-integer the value counts as the tie it was written as. It is far below one step of any scale.
constexpr double kTieTolerance = 1e-4;

// Rounds x to the nearest integer when x is within kTieTolerance of one: trunc(1.4 * 5) must be 7.
double SnapToInteger(double x) {
    const double r = std::nearbyint(x);
    return std::fabs(x - r) < kTieTolerance ? r : x;
}

} // namespace

double NearestEven(double x) {
    if (!std::isfinite(x)) {
        return x;
    }
    const double lower = std::floor(x);
    const double fraction = x - lower;
    if (std::fabs(fraction - 0.5) < kTieTolerance) {
        return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
    }
    return fraction < 0.5 ? lower : lower + 1.0;
}

uint8_t NearestEvenByte(double x) {
    const double r = NearestEven(x);
    if (!(r >= 0.0 && r <= 255.0)) {
        throw std::overflow_error("value does not fit a byte: " + std::to_string(x));
    }
    return static_cast<uint8_t>(r);
}

float FreqIndexToHz(uint8_t index) {
    const int i = index;
    if (i <= 40) {
        return float(2 * i + 18);
    }
    if (i <= 130) {
        return float(10 * i - 310);
    }
    if (i <= 220) {
        return float(100 * i - 12100);
    }
    return float((5 * i - 1005) * 100);
}

uint8_t HzToFreqIndex(double hz) {
    if (hz <= 98) {
        return NearestEvenByte((hz - 18) / 2);
    }
    if (hz <= 990) {
        return NearestEvenByte(hz / 10 + 31);
    }
    if (hz <= 9900) {
        return NearestEvenByte(hz / 100 + 121);
    }
    return NearestEvenByte((hz / 100 - 100) / 5 + 221);
}

float GainIndexToDb(uint8_t index) {
    return float((150.0 - 2.0 * index) / 10.0);
}

uint8_t DbToGainIndex(double db) {
    return NearestEvenByte((150.0 - 10.0 * db) / 2.0);
}

float QIndexToQ(uint8_t index) {
    const int q = index == 0 ? 1 : index;
    if (q <= 30) {
        return float(q / 10.0);
    }
    return float((q - 15) / 4); // integer division truncates, as the scale wants
}

uint8_t QToQIndex(double q) {
    if (q > 3) {
        return NearestEvenByte(4.0 * q + 15.0);
    }
    return NearestEvenByte(10.0 * q);
}

FreqIndexRange LowCutIndexRange(int channel) {
    switch (channel) {
    case kChannelMusic:
    case kChannelMic12:
    case kChannelMic3:
    case kChannelBass:
        return {0, 54};
    case kChannelEffect:
        return {0, 130};
    default:
        return {0, 0};
    }
}

FreqIndexRange HighCutIndexRange(int channel) {
    switch (channel) {
    case kChannelMic12:
    case kChannelMic3:
        return {201, 241};
    case kChannelEffect:
        return {131, 241};
    case kChannelBass:
        return {0, 54};
    default:
        return {0, 0};
    }
}

float QuantizeGainDb(double db, EqPointKind kind) {
    if (kind != EqPointKind::Peak || std::isnan(db)) {
        return 0.0f;
    }
    const double clamped = std::clamp(db, -15.0, 15.0);
    return float(std::trunc(SnapToInteger(clamped * 5.0)) / 5.0);
}

float QuantizeFreqHz(double hz, EqPointKind kind, int channel) {
    const double f = std::isnan(hz) ? 0.0 : std::trunc(hz);
    double snapped;
    if (f < 18) {
        snapped = 18;
    } else if (f < 100) {
        snapped = std::trunc(f / 2) * 2;
    } else if (f < 1000) {
        snapped = std::trunc(f / 10) * 10;
    } else if (f < 10000) {
        snapped = std::trunc(f / 100) * 100;
    } else if (f <= 20000) {
        snapped = std::trunc(f / 500) * 500;
    } else {
        snapped = 20000;
    }
    if (kind == EqPointKind::Peak) {
        return float(snapped);
    }
    const FreqIndexRange range =
        kind == EqPointKind::LowCut ? LowCutIndexRange(channel) : HighCutIndexRange(channel);
    const uint8_t index = std::clamp(HzToFreqIndex(snapped), range.Lowest, range.Highest);
    return FreqIndexToHz(index);
}

} // namespace korva
