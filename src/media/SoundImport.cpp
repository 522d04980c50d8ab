#include "media/SoundImport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/Errors.h"
#include "core/FileReplacement.h"
#include "core/Messages.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"

namespace orv {
namespace {

constexpr uint8_t kSoundRecordType = 0xDD;
constexpr size_t kWriteChunk = 64 * 1024;

// Reads up to size bytes, fewer only at the end of the file. Raises FileError.
size_t ReadUpTo(int fd, uint8_t* dest, size_t size, const std::string& path) {
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, dest + got, size - got);
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

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { ::close(m_fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

bool WriteSoundRecords(const std::string& sourcePath, const std::string& outputPath) {
    // The source first: a name that is no file is told as what it is, and no
    // import file is begun for it.
    std::optional<Descriptor> source;
    try {
        source.emplace(OpenRegularFile(sourcePath, O_RDONLY));
    } catch (const FileError& e) {
        if (IsNotAFile(e.Cause())) {
            ReportFileError(e);
        } else {
            MessageBoxText(IDS_SOUND_FILE_OPEN_ERROR);
        }
        return false;
    }
    struct stat info {};
    size_t size = kMaxSoundBytes;
    if (::fstat(source->Fd(), &info) == 0 &&
        static_cast<uintmax_t>(info.st_size) <= kMaxSoundBytes) {
        size = static_cast<size_t>(info.st_size);
    } else {
        MessageBoxText(IDS_SOUND_TOO_BIG);
    }

    // The import file appears only once it is complete: a failure leaves none.
    std::optional<FileReplacement> out;
    try {
        out.emplace(outputPath);
    } catch (const FileError&) {
        MessageBoxText(IDS_SOUND_FILE_OPEN_ERROR);
        return false;
    }
    // Which file an error names: the source while reading, the output while writing.
    try {
        std::string text;
        text.reserve(kWriteChunk + 128);
        const uint8_t header[] = {kSoundRecordType};
        AppendImportRecord(text, 'N', header);
        uint16_t sequence = 0;
        size_t remaining = size;
        while (remaining > 0) {
            uint8_t piece[kImportPieceSize];
            const size_t want = std::min(remaining, kImportPieceSize);
            const size_t got = ReadUpTo(source->Fd(), piece, want, sourcePath);
            if (got > 0) {
                AppendDataRecord(text, sequence++, std::span<const uint8_t>(piece, got));
            }
            if (got < want) {
                break;  // the source ended early: nothing past its end is sent
            }
            remaining -= got;
            if (text.size() >= kWriteChunk) {
                out->Write(text);
                text.clear();
            }
        }
        out->Write(text);
        out->Commit();
    } catch (const FileError& e) {
        ReportFileError(e);
        return false;
    }
    return true;
}

}  // namespace orv
