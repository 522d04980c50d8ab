// Running code on the user-interface thread from any thread.
#pragma once

#include <functional>

namespace orv {

// Runs fn on the thread of the application object and returns when it has run.
// On that thread itself (or without an application object) fn runs at once.
void RunOnUiThread(const std::function<void()>& fn);

bool IsUiThread();

}  // namespace orv
