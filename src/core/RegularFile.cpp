#include "core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

bool IsNotAFile(FileErrorCause cause) {
    return cause == FileErrorCause::IsFolder || cause == FileErrorCause::IsPipe ||
           cause == FileErrorCause::IsSocket || cause == FileErrorCause::IsDevice;
}

void RequireRegularFile(mode_t mode, const std::string& path) {
    if (S_ISREG(mode)) {
        return;
    }
    FileErrorCause cause = FileErrorCause::IsDevice;
    if (S_ISDIR(mode)) {
        cause = FileErrorCause::IsFolder;
    } else if (S_ISFIFO(mode)) {
        cause = FileErrorCause::IsPipe;
    } else if (S_ISSOCK(mode)) {
        cause = FileErrorCause::IsSocket;
    }
    throw FileError(cause, path);
}

int OpenRegularFile(const std::string& path, int flags) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw FileError::FromErrno(errno, path);
    }
    RequireRegularFile(st.st_mode, path);
    // Something else may take the name between the check and the open: the
    // open must not block on it either, and the descriptor is checked again.
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError::FromErrno(errno, path);
    }
    int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        int err = errno;
        ::close(fd);
        throw FileError::FromErrno(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        RequireRegularFile(st.st_mode, path);
    }
    return fd;
}

std::string ReadFrom(int fd, off_t offset, const std::string& path) {
    std::string data;
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw FileError::FromErrno(errno, path);
        }
        if (n == 0) {
            return data;
        }
        data.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
}

std::string ReadRegularFile(const std::string& path) {
    int fd = OpenRegularFile(path, O_RDONLY);
    try {
        std::string data = ReadFrom(fd, 0, path);
        ::close(fd);
        return data;
    } catch (const FileError&) {
        ::close(fd);
        throw;
    }
}

}  // namespace orv
