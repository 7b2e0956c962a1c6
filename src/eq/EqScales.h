#pragma once
// The three index scales of an EQ band record (frequency, gain, Q) and the snapping of free values to what
// the processor can store.

#include <cstdint>

namespace korva {

// The filter type of an EQ point. Any value other than Peak and LowCut is treated as a high-cut.
enum class EqPointKind : int32_t {
    Peak = 0,
    HighCut = 1,
    LowCut = 2,
};

// The integer nearest to x, a tie going to the even neighbour (71.5 -> 72, 72.5 -> 72). Values meant as
// decimal ties but a hair off in binary (0.3 dB giving 73.49999999) count as ties.
double NearestEven(double x);

// NearestEven(x) as a byte; throws std::overflow_error when it does not fit 0..255 (or x is not finite).
uint8_t NearestEvenByte(double x);

// Frequency index 0..255 <-> Hz, on four linear segments (18..98 step 2, 100..990 step 10, 1000..9900 step
// 100, 10000..27000 step 500).
float FreqIndexToHz(uint8_t index);
uint8_t HzToFreqIndex(double hz); // throws std::overflow_error below 17 Hz or from 27250 Hz

// Gain index <-> dB: dB = (150 - 2 * index) / 10, so 75 is flat and 0 / 150 are +15 / -15 dB.
float GainIndexToDb(uint8_t index);
uint8_t DbToGainIndex(double db); // throws std::overflow_error outside about +15.1 .. -36.1 dB

// Q index <-> Q: 1..30 are Q 0.1..3.0, above that Q = trunc((index - 15) / 4); index 0 is read as 1.
float QIndexToQ(uint8_t index);
uint8_t QToQIndex(double q); // throws std::overflow_error for negative Q or Q above 60

struct FreqIndexRange {
    uint8_t Lowest = 0;
    uint8_t Highest = 0;
    friend bool operator==(const FreqIndexRange&, const FreqIndexRange&) = default;
};

// Frequency indices a channel's low-cut / high-cut may take; channels without the filter get 0..0.
FreqIndexRange LowCutIndexRange(int channel);
FreqIndexRange HighCutIndexRange(int channel);

// The level a point may take: cut filters are always 0 dB; bands are clamped to +-15 dB and truncated
// toward zero to the 0.2 dB grid.
float QuantizeGainDb(double db, EqPointKind kind);

// The frequency a point may take: truncated to the grid of the frequency scale, limited to 18..20000 Hz,
// and for a cut filter to the range of that filter on the given channel.
float QuantizeFreqHz(double hz, EqPointKind kind, int channel);

} // namespace korva
