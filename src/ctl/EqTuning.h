#pragma once
// The eq commands' operation, apart from any command line: filters, a curve or a measurement fitted to one
// EQ channel of a parameter image (a preset file's copy) or of a processor (its points read, the changed
// ones written one by one, then read back), or the channel exported as filter text. A service calls it
// with the request it parsed itself.

#include "eq/FilterExport.h"
#include "eq/FilterText.h"
#include "eq/GridFit.h"
#include "ctl/EqOptions.h"
#include "ops/ParamImage.h"

#include <QString>
#include <optional>
#include <vector>

namespace korva {
class DeviceSession;
}

namespace korva::ctl {

struct EqRequest {
    EqAction Action = EqAction::Export;
    int Channel = 0;
    int Group = 0;                         // parameter group 0..7
    FilterSet Filters;                     // import
    FrequencyCurve Curve;                  // match: the desired curve; fit: the measurement
    std::optional<FrequencyCurve> Target;  // fit: the house curve (flat without)
    MeasurementFitOptions Options;         // Options.Fit also for import and match
    FilterTextFormat Format = FilterTextFormat::Rew; // export
    std::vector<ReadWarning> Warnings;     // the lines the readers skipped
};

struct EqOutcome {
    ChannelEq Before;                      // the channel as it was
    ChannelEq After;                       // as it is now (export: the same)
    std::optional<FitResult> Fit;          // import, match, fit
    std::vector<ImageDifference> Changes;  // Before -> After, by parameter name
    QString Text;                          // export: the filter text
    std::vector<ReadWarning> Warnings;     // the request's: what the readers skipped
    int Written = 0;                       // processor: point records written and answered
    bool ReadBack = false;                 // processor: the channel was read back after writing
    std::vector<ImageDifference> ReadBackDifferences; // written -> read back
};

// EQ channels by their names in the parameter table ("music" … "rec"); channels without bands have none.
std::optional<int> EqChannelByName(const QString& name);
QString EqChannelName(int channel);

// The request an eq command line asks for on parameter group `group` (its channel by name, the fit's
// options), still without its files. std::nullopt and a Chinese reason (code unknown_name) for a channel
// without bands.
std::optional<EqRequest> EqRequestFor(const EqCommandLine& eq, int group, QString* error);

// The request's input read from the files' bytes (the filter text for import, the curve or measurement for
// match and fit, and fit's target when given); names are how messages call the files. False with the
// reader's message (file, line and reason).
bool ReadEqInput(EqRequest& request, const QByteArray& file, const QString& fileName,
                 const std::optional<QByteArray>& target, const QString& targetName, QString* error);

// Fits the request's channel of image and puts the result into it (export only reads it). False and a
// Chinese reason when the fit refuses its input (a measurement that does not cover the range).
bool TuneImage(const EqRequest& request, ParamImage& image, EqOutcome& outcome, QString* error);

enum class EqRun {
    Done,         // outcome complete (also with read-back differences)
    Refused,      // the fit refused its input: nothing was written (reason in *error)
    SessionFault, // the session failed (its LastError)
};

// The same on a processor: the channel's points are read, fitted, and unless dryRun (or export) the changed
// ones are written, one write each, and the channel is read back and compared.
EqRun TuneProcessor(const EqRequest& request, DeviceSession& session, bool dryRun, EqOutcome& outcome,
                    QString* error);

} // namespace korva::ctl
