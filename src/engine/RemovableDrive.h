// Whether a file lies on a removable drive: a save or restore continues
// across disks only there.
#pragma once

#include <functional>
#include <string>

namespace orv {

// Replaceable so that tests can declare a folder removable; null restores the
// real test (sysfs "removable" of the block device holding the file).
using RemovableDriveTest = std::function<bool(const std::string& path)>;
void SetRemovableDriveTest(RemovableDriveTest test);
bool IsOnRemovableDrive(const std::string& path);

}  // namespace orv
