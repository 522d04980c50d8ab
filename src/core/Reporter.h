// How messages reach the user. The desktop program shows message boxes,
// orv-cli prints to standard error, tests capture.
#pragma once

#include <string>

#include "core/Outcome.h"

namespace orv {

class Reporter {
public:
    virtual ~Reporter() = default;
    // A message with an OK button only. May be called from any thread.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // A question with OK and Cancel; true for OK. May be called from any thread.
    virtual bool AskOkCancel(const std::string& text, MessageIcon icon) = 0;
};

// Reporter that writes everything to standard error and answers OK.
class StderrReporter : public Reporter {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    bool AskOkCancel(const std::string& text, MessageIcon icon) override;
};

// Installs the reporter every message goes through; null restores the default
// StderrReporter. The reporter must outlive its installation.
void SetReporter(Reporter* reporter);
Reporter& CurrentReporter();

}  // namespace orv
