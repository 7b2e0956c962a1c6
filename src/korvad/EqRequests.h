#pragma once
// The eq requests (import, match, fit, export) read on the server's thread: the channel, the group, the
// fit's options and the texts, checked with the rules korva-ctl's eq commands follow and read by the same
// readers, so that a refused request never reaches the processor.

#include "ctl/EqTuning.h"
#include "korvad/ApiRoutes.h"
#include "korvad/HttpMessage.h"

#include <optional>

namespace korva::korvad {

struct EqCall {
    ctl::EqRequest Request;
    bool DryRun = false;
};

// import, match, fit: a JSON body {"channel", "group", "filters" | "curve" | "measurement", "target",
// "cuts", "from_hz", "to_hz", "max_boost_db", "dry_run"}; export: ?channel=&format=&group=.
std::optional<EqCall> EqCallOf(ApiEndpoint endpoint, const HttpRequest& request, HttpResponse& refusal);

} // namespace korva::korvad
