#pragma once
// How korva-ctl shows what an eq command did: the channel's bands and cut filters, the fit's error, the
// parameters that change (old -> new, as verify lists differences), what was written and read back; as
// text, or as the keys of its JSON object.

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"

#include <QJsonObject>
#include <QStringList>

namespace korva::ctl {

// The eq keys of a result's JSON object (docs/ctl-json.md).
void AddEqJson(QJsonObject& o, const CtlOptions& options, const ProcessorResult& r);

// The lines on standard output (export: the filter text alone).
QStringList EqTextLines(const CtlOptions& options, const ProcessorResult& r);

// The lines the readers skipped, for standard error.
QStringList EqNotes(const ProcessorResult& r);

} // namespace korva::ctl
