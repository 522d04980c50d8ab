// Small helpers that put string-table texts in front of the user.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Message id with %1 filled, in a box with an OK button. Returns 1 (OK).
int MessageBoxFormatted(int messageId, std::string_view insertion);
// Message id as it stands, in a box with an OK button.
void MessageBoxText(int messageId);

// Shows the text in pane 0 of the status bar.
void ShowStatusText(const std::string& text);
// Loads the text and, when it exists, shows it in the status bar.
void ShowStatusMessage(int messageId);
void ShowStatusMessage(int messageId, std::string_view insertion);

// Loads the text and, when it exists, shows it as the main form's instructions.
void ShowInstructions(int messageId);

// Sets the main window's caption.
void SetMainTitle(const std::string& text);

}  // namespace orv
