#include "documents/FileActions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace orv {

std::optional<FileError> RemoveFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return FileError::FromErrno(errno, path);
    }
    // The system would let the owner of the folder delete a write-protected
    // file; a file someone made read-only is meant to stay.
    if (!S_ISLNK(st.st_mode) &&
        (::access(path.c_str(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        return FileError(FileErrorCause::AccessDenied, path, EACCES);
    }
    if (::unlink(path.c_str()) != 0) {
        return FileError::FromErrno(errno, path);
    }
    return std::nullopt;
}

std::optional<FileError> RenameFile(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return std::nullopt;
    }
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // A file system without the no-replace rename: a hard link fails
        // atomically when the name exists.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return std::nullopt;
        }
        err = errno;
        if (err == EPERM || err == ENOTSUP) {
            // No hard links either (FAT): check, then rename.
            struct stat st {};
            if (::lstat(to.c_str(), &st) == 0) {
                return FileError::FromErrno(EEXIST, from);
            }
            if (::rename(from.c_str(), to.c_str()) == 0) {
                return std::nullopt;
            }
            err = errno;
        }
    }
    return FileError::FromErrno(err, from);
}

}  // namespace orv
