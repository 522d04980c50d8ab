// The simple beep and the call for the user's attention, both replaceable so
// that tests can see them.
#pragma once

#include <functional>

class QWidget;

namespace orv {

void Beep();
// Replaces what Beep does; null restores QApplication::beep.
void SetBeeper(std::function<void()> beeper);
// count beeps, intervalMs apart, the first at once; the rest follow from the
// event loop so that the window stays responsive.
void BeepTimes(int count, int intervalMs);

// Asks the desktop to draw the user to window, as a taskbar entry that flashes
// until the window is active again (QApplication::alert).
void RequestAttention(QWidget* window);
// Replaces what RequestAttention does; null restores QApplication::alert.
void SetAttentionRequester(std::function<void(QWidget*)> requester);

}  // namespace orv
