// save and restore: one transfer served through the engine, without a window.
#pragma once

#include <string>

#include "cli/Options.h"
#include "engine/Serial.h"

namespace orv::cli {

// Arms path with kind, opens the port, serves one device request and returns
// the exit code.
int RunTransfer(const TransferOptions& options, TransferKind kind, const std::string& path);

}  // namespace orv::cli
