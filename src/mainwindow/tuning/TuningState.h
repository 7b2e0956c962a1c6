#pragma once
// What the window holds while tuning from a measurement: the measurement (and its target) loaded into
// memory, and a new setting of one channel shown as a preview until it is applied or dropped. Nothing of
// it is saved; nothing of it is on the processor until a preview is applied.

#include "eq/ChannelEq.h"
#include "eq/FrequencyCurve.h"
#include "processor/Processor.h"

#include <QString>
#include <optional>
#include <vector>

namespace korva {

struct LoadedMeasurement {
    FrequencyCurve Curve;                 // as read
    std::optional<FrequencyCurve> Target; // none: a flat target
    // Subtracted from the measurement to show it on the target's level: the difference of their means
    // over the range the fit aligns them on (200 Hz - 2 kHz, or the measurement's own where it misses it).
    double OffsetDb = 0.0;
};

// The level offset that puts a measurement on its target (flat when target is nullptr).
double AlignmentOffsetDb(const FrequencyCurve& measurement, const FrequencyCurve* target);

struct TuningPreview {
    int Group = 0;
    int Channel = 0;
    ChannelEq Eq;                     // the channel as it would be
    std::vector<PointRecord> Records; // what applying it stores: every band and cut filter of the channel
    double RmsDb = 0.0;
    double MaxDb = 0.0;
    // The curve the setting follows, shown with it when no measurement explains it (imported filters).
    std::optional<FrequencyCurve> Desired;
};

struct TuningState {
    std::optional<LoadedMeasurement> Measurement;
    std::optional<TuningPreview> Preview;
    // Counts changes of the two above, so that what is drawn of them is rebuilt only when they change.
    int Version = 0;
};

} // namespace korva
