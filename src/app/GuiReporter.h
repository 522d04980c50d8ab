// Messages of the desktop program as message boxes on the user-interface
// thread, whichever thread they come from.
#pragma once

#include "core/Reporter.h"

namespace orv {

class CGuiReporter : public Reporter {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override;
};

}  // namespace orv
