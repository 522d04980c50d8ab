// Errors the user can act on (CORVException), failed consistency checks
// (ReportInternalError) and file errors (FileError).
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace orv {

// An error the user can act on, raised inside a longer operation: a message
// number and the finished text. Thrown and caught by value.
class CORVException {
public:
    CORVException(std::string text, int messageId)
        : m_nMessageId(messageId), m_strText(std::move(text)) {}

    int MessageId() const { return m_nMessageId; }
    const std::string& Text() const { return m_strText; }

private:
    int m_nMessageId;
    std::string m_strText;
};

[[noreturn]] void ThrowORVException(int messageId);
[[noreturn]] void ThrowORVException(int messageId, std::string_view insertion);

// Shows message 32797 naming the source file and line of a failed check, then
// returns so that the caller carries on. Never throws.
void ReportInternalError(const char* file, unsigned line) noexcept;

#define ORV_INTERNAL_ERROR() ::orv::ReportInternalError(__FILE__, __LINE__)
// Reports an internal error when cond is false; evaluates to cond.
#define ORV_CHECK(cond) ((cond) ? true : (ORV_INTERNAL_ERROR(), false))

// What went wrong with a file, derived from errno.
enum class FileErrorCause {
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    SharingViolation,
    DiskFull,
    EndOfFile,
    // The program's own causes: what is named is not a file, or cannot be written.
    IsFolder,
    IsPipe,
    IsSocket,
    IsDevice,
    ReadOnlyDisk,
};

class FileError : public std::exception {
public:
    FileError(FileErrorCause cause, std::string fileName, int osError = 0);
    // The cause that errno value err stands for.
    static FileError FromErrno(int err, std::string fileName);

    FileErrorCause Cause() const { return m_cause; }
    const std::string& FileName() const { return m_fileName; }
    int OsError() const { return m_osError; }
    // The standard file-error text of the cause with the file name inserted.
    std::string Message() const;
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    FileErrorCause m_cause;
    std::string m_fileName;
    int m_osError;
    std::string m_message;
};

FileErrorCause CauseFromErrno(int err);
int MessageIdForCause(FileErrorCause cause);

// True when text is non-empty and every character is a digit (or ':' when
// colonAllowed).
bool IsAllDigits(std::string_view text, bool colonAllowed);

// The part of a path after its last '/' or '\'.
std::string_view FileNamePart(std::string_view path);

}  // namespace orv
