// The files the program reads are regular files: a folder, a named pipe, a
// socket or a device is refused at once, told as what it is, and never opened,
// so that nothing can block or set hardware going.
#pragma once

#include <sys/types.h>

#include <string>

#include "core/Errors.h"

namespace orv {

// The causes RequireRegularFile raises: a folder, pipe, socket or device.
bool IsNotAFile(FileErrorCause cause);

// Raises FileError naming path unless mode is that of a regular file.
void RequireRegularFile(mode_t mode, const std::string& path);

// Opens an existing regular file with flags (O_RDONLY or O_RDWR); the
// descriptor is close-on-exec and blocking. Raises FileError naming path.
int OpenRegularFile(const std::string& path, int flags);

// The bytes of an open file from offset on. Raises FileError naming path.
std::string ReadFrom(int fd, off_t offset, const std::string& path);
// The bytes of the regular file at path. Raises FileError.
std::string ReadRegularFile(const std::string& path);

}  // namespace orv
