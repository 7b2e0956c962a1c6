#pragma once
// API v1 over the processors of the fleet. Everything that needs no processor is checked first, here on the
// server's thread (names, values and their ranges, JSON, preset files): a refused request sends nothing.
// The rest runs as a job on the processor's own thread, and its answer comes back through the responder.

#include "korvad/HttpMessage.h"

#include <functional>

namespace korva::korvad {

class Fleet;

// Called exactly once per request, from any thread.
using Responder = std::function<void(HttpResponse)>;

class Api {
public:
    explicit Api(Fleet& fleet) : fleet_(fleet) {}

    // An authenticated request (its token's name in TokenName), body read whole.
    void Handle(const HttpRequest& request, const Responder& respond);

private:
    HttpResponse ListProcessors() const;

    Fleet& fleet_;
};

} // namespace korva::korvad
