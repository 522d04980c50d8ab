// The restore: the armed file sent line by line, each line acknowledged by the device.
#include <algorithm>
#include <cctype>
#include <climits>

#include "core/Errors.h"
#include "core/StringTable.h"
#include "engine/SerialImpl.h"

namespace orv {

namespace {

constexpr int kTextRecordOverhead = 7;
constexpr long kProbeOffset = 2032;

// The number after the version letter, read as atoi does.
int VersionNumber(std::string_view rest) {
    size_t i = 0;
    while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) {
        negative = rest[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (rest[i] - '0'), INT_MAX);
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

void CORVSerialPort::Impl::SendMemory() {
    ORV_CHECK(portOpen && transfer && started && armed && armedKind != Save && file.IsOpen());
    fileVersion = kInitialFileVersion;
    int refusals = 0;
    int timeouts = 0;
    if (format == Undetermined) {
        ProbeFileFormat();
    }
    long long total = fileLength * (IsText() ? 2 : 1) * (secondPass ? 2 : 1);
    NotifyAndWait(TN_SET_TOTAL, static_cast<long>(total), true);
    bool headerPending = IsText();

    for (;;) {
        if (!NextRecordToSend(headerPending)) {
            if (secondPass) {
                secondPass = false;
                headerPending = IsText();
                file.Rewind();
                if (continuation) {
                    ReopenFirstFile();
                }
                continue;
            }
            EndRestore();
            return;
        }
        char first = record.text[0];
        if (first == 'V' || first == 'v') {
            fileVersion = VersionNumber(
                std::string_view(record.text + 1, static_cast<size_t>(record.length - 1)));
        }
        if (lineFault != LineFault::None) {
            ThrowORVException(IDM_INVALID_RECORD);
        }
        if (first == 'T' && format == Records) {
            ContinueRestoreFromNextDisk();
        }

        for (;;) {
            try {
                SendRecord();
                char reply = 0;
                ReadBytes(&reply, 1, true);
                if (reply == kAckByte) {
                    break;
                }
                ++refusals;
            } catch (const CORVException& e) {
                if (hungUp) {
                    throw;  // no device left to take the record
                }
                if (e.MessageId() == IDM_COMM_TIMEOUT) {
                    if (++timeouts > kMaxTimeoutsPerRecord) {
                        throw;
                    }
                    ++refusals;
                } else if (e.MessageId() == IDM_COMM_ERROR) {
                    ++refusals;
                } else {
                    throw;
                }
            }
            if (refusals > kMaxRefusalsPerRecord) {
                ThrowORVException(IDM_COMM_ERROR);
            }
        }
        // The line end added to a last line is not the file's: the progress
        // counts what the file holds.
        int bytes = IsText() ? std::max(0, record.length - kTextRecordOverhead)
                             : record.length - addedLineEnd;
        NotifyAndWait(TN_ADD_BYTES, bytes, true);
        headerPending = false;
        refusals = 0;
        timeouts = 0;
    }
}

void CORVSerialPort::Impl::SendRecord() {
    // All but the line end, then the line end.
    int head = record.length >= 2 ? record.length - 2 : 0;
    if (head > 0) {
        WriteBytes(record.text, head, true);
    }
    WriteBytes(record.text + head, record.length - head, true);
}

void CORVSerialPort::Impl::ProbeFileFormat() {
    int first = file.FirstByte();
    if (first == 'V' || first == 'v') {
        format = Records;
    } else {
        format = Unversioned;
        if (!file.ProbeRead(kProbeOffset, 2)) {
            format = Records;
        }
    }
    file.Rewind();
}

bool CORVSerialPort::Impl::NextRecordToSend(bool headerPending) {
    lineFault = LineFault::None;
    addedLineEnd = 0;
    if (headerPending) {
        record.Assign(kTextHeaderRecord);
        return true;
    }
    if (IsText()) {
        char text[kMaxTextLine];
        int n = file.ReadLine(text, kMaxTextLine);
        if (n == 0) {
            return false;
        }
        record.Assign(EncodeTextRecord(std::string_view(text, static_cast<size_t>(n)), modelId));
        return true;
    }
    if (!ReadRecordLine(file, fileLine)) {
        return false;
    }
    record.Assign(fileLine.text);
    lineFault = fileLine.fault;
    addedLineEnd = fileLine.addedLineEnd;
    return true;
}

void CORVSerialPort::Impl::ContinueRestoreFromNextDisk() {
    if (!removable) {
        ThrowORVException(IDM_INVALID_RECORD);
    }
    SendByte(kEnqByte, false);
    for (;;) {
        file.Close();
        NextContinuationName();
        NotifyAndWait(TN_INSERT_CONTINUATION, 0, true);
        OpenTransferFileAsking(TN_INSERT_CONTINUATION);
        NotifyAndWait(TN_SET_TOTAL, static_cast<long>(fileLength * (IsText() ? 2 : 1)), true);
        if (!NextRecordToSend(false) || lineFault != LineFault::None) {
            ThrowORVException(IDM_INVALID_RECORD);
        }
        if (record.text[0] != 'T') {
            return;
        }
    }
}

void CORVSerialPort::Impl::ReopenFirstFile() {
    SendByte(kEnqByte, false);
    file.Close();
    ResetToFirstFile();
    NotifyAndWait(TN_REINSERT_FIRST, 0, true);
    OpenTransferFileAsking(TN_REINSERT_FIRST);
    NotifyAndWait(TN_SET_TOTAL, static_cast<long>(fileLength * (IsText() ? 2 : 1)), true);
}

void CORVSerialPort::Impl::EndRestore() {
    if (IsText()) {
        WriteBytes(kEmptyTextRecord.data(), static_cast<int>(kEmptyTextRecord.size()), true);
    }
    std::string_view mark = EndMarkFor(modelId, fileVersion);
    WriteBytes(mark.data(), static_cast<int>(mark.size()), true);
    CloseTransferFile();
    NotifyAndWait(TN_FINISHED, IDM_TRANSFER_COMPLETED, true);
    PurgeInput();
    started = false;
    transfer = false;
}

}  // namespace orv
