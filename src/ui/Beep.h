// The simple beep, replaceable so that tests can count beeps.
#pragma once

#include <functional>

namespace orv {

void Beep();
// Replaces what Beep does; null restores QApplication::beep.
void SetBeeper(std::function<void()> beeper);
// count beeps, intervalMs apart, the first at once; the rest follow from the
// event loop so that the window stays responsive.
void BeepTimes(int count, int intervalMs);

}  // namespace orv
