// Small helpers that put string-table texts in front of the user.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Message id with %1 filled, in a box with an OK button. Returns 1 (OK).
int MessageBoxFormatted(int messageId, std::string_view insertion);
// Message id as it stands, in a box with an OK button.
void MessageBoxText(int messageId);

}  // namespace orv
