// The sound import file: a sound file's bytes, unchanged, as numbered records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "media/ImportFiles.h"

namespace orv {

// The most of a sound file the devices take.
constexpr size_t kMaxSoundBytes = 960000;

// True when bytes begin as a RIFF/WAVE file does ("RIFF", a size, "WAVE").
bool IsRiffWave(std::span<const uint8_t> bytes);
// The same for the start of the file at path. A file that cannot be read
// counts as a sound here: the import reports it itself.
bool SoundLooksLikeWave(const std::string& path);

// A RIFF/WAVE file cut to its first bytes.size() bytes is made to say so: the
// RIFF size and the data chunk's size become what is left of them. Chunks are
// not touched otherwise, and bytes that are no RIFF/WAVE file not at all.
void FitWaveHeaderToLength(std::span<uint8_t> bytes);

// Writes the header record N01DD21 and then the source's bytes in numbered
// pieces of 32. A longer source is cut at kMaxSoundBytes, with message 32802
// told first (a RIFF/WAVE file's sizes then tell what is sent); a source that
// is shorter than it claimed ends where its data ends. A source that is no
// file (a folder, a pipe, a device) is refused with a message naming it; one
// that cannot be opened, and an output that cannot be created, fail with
// message 32801; read and write errors with the file-error text naming the
// file. The output replaces an earlier one only once it is complete.
Outcome WriteSoundRecords(const std::string& sourcePath,
                          const std::string& outputPath = kSoundImportFileName);

}  // namespace orv
