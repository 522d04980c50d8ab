#include "core/Errors.h"

#include <cerrno>

#include "core/Reporter.h"
#include "core/StringTable.h"

namespace orv {

void ThrowORVException(int messageId) {
    throw CORVException(LoadString(messageId), messageId);
}

void ThrowORVException(int messageId, std::string_view insertion) {
    throw CORVException(FormatString(messageId, insertion), messageId);
}

void ReportInternalError(const char* file, unsigned line) noexcept {
    try {
        std::string text =
            FormatString(IDM_INTERNAL_ERROR, std::to_string(line), FileNamePart(file ? file : ""));
        CurrentReporter().ShowMessage(text, MessageIcon::Exclamation);
    } catch (...) {
        // A report that cannot be shown must not unwind the caller.
    }
}

std::string_view FileNamePart(std::string_view path) {
    size_t pos = path.find_last_of("/\\");
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

FileErrorCause CauseFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return FileErrorCause::FileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return FileErrorCause::BadPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EEXIST:
            return FileErrorCause::AccessDenied;
        case EISDIR:
            return FileErrorCause::IsFolder;
        case EROFS:
            return FileErrorCause::ReadOnlyDisk;
        case EBADF:
            return FileErrorCause::InvalidFile;
        case EBUSY:
        case ETXTBSY:
        case EWOULDBLOCK:
            return FileErrorCause::SharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorCause::DiskFull;
        default:
            return FileErrorCause::Generic;
    }
}

int MessageIdForCause(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::FileNotFound:
            return IDM_FILE_NOT_FOUND;
        case FileErrorCause::BadPath:
            return IDM_FILE_BAD_PATH;
        case FileErrorCause::TooManyOpenFiles:
            return IDM_FILE_TOO_MANY_OPEN;
        case FileErrorCause::AccessDenied:
            return IDM_FILE_ACCESS_DENIED;
        case FileErrorCause::InvalidFile:
            return IDM_FILE_INVALID;
        case FileErrorCause::SharingViolation:
            return IDM_FILE_SHARING_VIOLATION;
        case FileErrorCause::DiskFull:
            return IDM_FILE_DISK_FULL;
        case FileErrorCause::EndOfFile:
            return IDM_FILE_END_OF_FILE;
        case FileErrorCause::IsFolder:
            return IDM_FILE_IS_FOLDER;
        case FileErrorCause::IsPipe:
            return IDM_FILE_IS_PIPE;
        case FileErrorCause::IsSocket:
            return IDM_FILE_IS_SOCKET;
        case FileErrorCause::IsDevice:
            return IDM_FILE_IS_DEVICE;
        case FileErrorCause::ReadOnlyDisk:
            return IDM_FILE_READ_ONLY_DISK;
        case FileErrorCause::Generic:
            break;
    }
    return IDM_FILE_ERROR_GENERIC;
}

FileError::FileError(FileErrorCause cause, std::string fileName, int osError)
    : m_cause(cause),
      m_fileName(std::move(fileName)),
      m_osError(osError),
      m_message(FormatString(MessageIdForCause(cause), m_fileName)) {}

FileError FileError::FromErrno(int err, std::string fileName) {
    return FileError(CauseFromErrno(err), std::move(fileName), err);
}

std::string FileError::Message() const {
    return m_message;
}

bool IsAllDigits(std::string_view text, bool colonAllowed) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        bool ok = (c >= '0' && c <= '9') || (colonAllowed && c == ':');
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace orv
