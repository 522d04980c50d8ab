// How internal errors (ReportInternalError, ORV_CHECK) reach the user, from
// whatever code and thread finds them. The desktop program shows message
// boxes, orv-cli prints to standard error, tests capture. Every other message
// goes back to the caller in an Outcome.
#pragma once

#include <string>

#include "core/Outcome.h"

namespace orv {

class Reporter {
public:
    virtual ~Reporter() = default;
    // A message with an OK button only. May be called from any thread.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
};

// Reporter that writes everything to standard error.
class StderrReporter : public Reporter {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override;
};

// Installs the reporter every message goes through; null restores the default
// StderrReporter. The reporter must outlive its installation.
void SetReporter(Reporter* reporter);
Reporter& CurrentReporter();

}  // namespace orv
