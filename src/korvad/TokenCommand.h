#pragma once
// korvad token add NAME | list | revoke NAME: the token itself goes to standard output (add, once), everything
// else to standard error.

#include "korvad/ServiceOptions.h"

namespace korva::korvad {

// The exit code.
int RunTokenCommand(const ServiceOptions& options);

} // namespace korva::korvad
