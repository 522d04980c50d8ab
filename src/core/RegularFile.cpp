#include "core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

FileHandle::~FileHandle() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

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

size_t ReadUpTo(int fd, void* dest, size_t size, const std::string& path) {
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, static_cast<char*>(dest) + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw FileError::FromErrno(errno, path);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    return got;
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
    FileHandle file(OpenRegularFile(path, O_RDONLY));
    return ReadFrom(file.Fd(), 0, path);
}

}  // namespace orv
