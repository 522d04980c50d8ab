// The import files handed to the transfer engine, and the record lines they
// are made of: a letter, a length byte L, L payload bytes and a checksum byte
// (255 minus the 8-bit sum of L and the payload), all in hexadecimal, CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/FileReplacement.h"
#include "core/Outcome.h"

namespace orv {

// Both live in the current folder: the engine opens them by these names.
inline constexpr const char* kIconImportFileName = "Icons to Import.ORV";
inline constexpr const char* kSoundImportFileName = "Sound File to Import.ORV";

// Payload bytes in one data record.
constexpr size_t kImportPieceSize = 32;

// Appends one record line for letter and payload (at most 255 bytes).
void AppendImportRecord(std::string& out, char letter, std::span<const uint8_t> payload);
// An `n` record carrying a 16-bit sequence number (high byte first) and a
// piece of data.
void AppendDataRecord(std::string& out, uint16_t sequence, std::span<const uint8_t> piece);

// Writes an import file through write, into a replacement that takes its
// place only when complete. A file that cannot be begun fails with message
// openErrorId, a FileError from write (the output's or a source's) with its
// file-error text. Any failure leaves the earlier file.
Outcome WriteImportFile(const std::string& path, int openErrorId,
                        const std::function<void(FileReplacement&)>& write);

// Deletes an import file before a new one is made. A missing file is fine;
// any other failure fails with the file-error text, since the new data would
// otherwise join the old.
Outcome DeleteImportFile(const std::string& path);

}  // namespace orv
