// One transfer served through the engine, without a window.
#pragma once

#include <string>

#include "cli/Options.h"
#include "engine/Serial.h"

namespace orv::cli {

// Arms path with kind, opens the port, serves one device request and returns
// the exit code. soundSource names the sound a sound import file was made of.
int RunTransfer(const TransferOptions& options, TransferKind kind, const std::string& path,
                const std::string& soundSource = {});

}  // namespace orv::cli
