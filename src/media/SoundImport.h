// The sound import file: a sound file's bytes, unchanged, as numbered records.
#pragma once

#include <cstddef>
#include <string>

#include "media/ImportFiles.h"

namespace orv {

// The most of a sound file the devices take.
constexpr size_t kMaxSoundBytes = 960000;

// Writes the header record N01DD21 and then the source's bytes in numbered
// pieces of 32. A longer source is cut at kMaxSoundBytes after message 32802;
// a source that is shorter than it claimed ends where its data ends. A source
// that is no file (a folder, a pipe, a device) is refused with a message
// naming it; one that cannot be opened, and an output that cannot be created,
// show message 32801; read and write errors are reported with the file's
// name. The output replaces an earlier one only once it is complete. False on
// any failure.
bool WriteSoundRecords(const std::string& sourcePath,
                       const std::string& outputPath = kSoundImportFileName);

}  // namespace orv
