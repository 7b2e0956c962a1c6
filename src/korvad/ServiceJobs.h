#pragma once
// What each request does on its processor's thread, once everything that needs no processor has been
// checked: the answer is built here, in the JSON shapes korva-ctl --json prints.

#include "ctl/EqTuning.h"
#include "korvad/HttpMessage.h"
#include "korvad/ProcessorWorker.h"
#include "ops/ParamImage.h"

#include <vector>

namespace korva::korvad {

// The values of refs, from the image the service holds (read whole when it is not current).
HttpResponse GetValues(WorkerContext& context, const std::vector<ParamRef>& refs);
// One acknowledged single write; by: the token's name, for the event.
HttpResponse SetValue(WorkerContext& context, const ParamRef& ref, uint8_t raw, const QString& by);
// The whole memory, read now, as a preset file.
HttpResponse Backup(WorkerContext& context);
// The file's bytes over a fresh read of the memory, downloaded, read back and compared.
HttpResponse Restore(WorkerContext& context, const ParamImage& file, const QString& by);
// The memory, read now, against the file.
HttpResponse Verify(WorkerContext& context, const ParamImage& file);

// Every named value that differs between what clients were last told (before) and what a read of the
// memory found (after), as parameter events with "by": null: changed on the processor itself (its front
// panel), or while the link was down.
void PublishChangesFound(WorkerContext& context, const ParamImage& before, const ParamImage& after);

// An eq operation on one channel, as korva-ctl runs it on a processor: the points read, fitted, and unless
// dryRun (or export) the changed ones written, one write each, and read back; an event per changed point.
HttpResponse TuneEq(WorkerContext& context, const ctl::EqRequest& request, bool dryRun, const QString& by);

} // namespace korva::korvad
