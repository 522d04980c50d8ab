// The files the program reads are regular files: a folder, a named pipe, a
// socket or a device is refused at once, told as what it is, and never opened,
// so that nothing can block or set hardware going.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>

#include "core/Errors.h"

namespace orv {

// An open file descriptor, closed with its owner.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// The causes RequireRegularFile raises: a folder, pipe, socket or device.
bool IsNotAFile(FileErrorCause cause);

// Raises FileError naming path unless mode is that of a regular file.
void RequireRegularFile(mode_t mode, const std::string& path);

// Opens an existing regular file with flags (O_RDONLY or O_RDWR); the
// descriptor is close-on-exec and blocking. Raises FileError naming path.
int OpenRegularFile(const std::string& path, int flags);

// Reads up to size bytes, fewer only at the end of the file. Raises FileError
// naming path.
size_t ReadUpTo(int fd, void* dest, size_t size, const std::string& path);
// The bytes of an open file from offset on. Raises FileError naming path.
std::string ReadFrom(int fd, off_t offset, const std::string& path);
// The bytes of the regular file at path. Raises FileError.
std::string ReadRegularFile(const std::string& path);

}  // namespace orv
