// Deleting and renaming files with the failure causes the standard file-error
// texts need.
#pragma once

#include <optional>
#include <string>

#include "core/Errors.h"

namespace orv {

// Deletes the file. A read-only file (no write permission for the user, or
// no write bit at all) is refused as access denied, as is anything else the
// system refuses.
std::optional<FileError> RemoveFile(const std::string& path);

// Renames from to to. An existing file of the new name is never replaced.
std::optional<FileError> RenameFile(const std::string& from, const std::string& to);

}  // namespace orv
