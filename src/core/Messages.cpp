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

}  // namespace orv
