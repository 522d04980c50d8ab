#include "core/Messages.h"

#include "core/Reporter.h"
#include "core/StringTable.h"

namespace orv {

int MessageBoxFormatted(int messageId, std::string_view insertion) {
    CurrentReporter().ShowMessage(FormatString(messageId, insertion), MessageIcon::None);
    return 1;
}

void MessageBoxText(int messageId) {
    CurrentReporter().ShowMessage(LoadString(messageId), MessageIcon::None);
}

void ShowStatusText(const std::string& text) {
    CurrentReporter().ShowStatusText(text);
}

void ShowStatusMessage(int messageId) {
    if (HasString(messageId)) {
        ShowStatusText(LoadString(messageId));
    }
}

void ShowStatusMessage(int messageId, std::string_view insertion) {
    if (HasString(messageId)) {
        ShowStatusText(FormatString(messageId, insertion));
    }
}

void ShowInstructions(int messageId) {
    if (HasString(messageId)) {
        CurrentReporter().ShowInstructions(LoadString(messageId));
    }
}

void SetMainTitle(const std::string& text) {
    CurrentReporter().SetMainTitle(text);
}

}  // namespace orv
