// The save: records from the device, checked, written and acknowledged one by one.
#include <algorithm>

#include "core/Errors.h"
#include "core/StringTable.h"
#include "engine/SerialImpl.h"

namespace orv {

namespace {

constexpr int kTextRecordOverhead = 7;  // "n", count, checksum, CR LF

}  // namespace

void CORVSerialPort::Impl::ReceiveMemory() {
    ORV_CHECK(portOpen && transfer && started && armedKind == Save && file.IsOpen());
    int timeouts = 0;
    for (;;) {
        bool invalid = false;
        RecordResult result = RecordResult::Invalid;
        try {
            result = ReceiveRecord(*this, record);
            invalid = result == RecordResult::Invalid || result == RecordResult::TooLong;
        } catch (const CORVException& e) {
            if (hungUp) {
                throw;  // no device left to send the record again
            }
            switch (e.MessageId()) {
                case IDM_INVALID_CHARACTER:
                case IDM_COMM_ERROR:
                case IDM_INVALID_RECORD:
                    invalid = true;
                    break;
                case IDM_COMM_TIMEOUT:
                    if (++timeouts > kMaxTimeoutsPerRecord) {
                        throw;
                    }
                    invalid = true;
                    break;
                default:
                    throw;
            }
        }
        if (invalid) {
            // The device sends the record again; only time-outs are limited.
            SendByte(kRetryByte, true);
            continue;
        }
        if (result == RecordResult::EndOfTransfer) {
            EndSave();
            return;
        }
        WriteRecordToFile();
        int bytes = IsText() ? std::max(0, record.length - kTextRecordOverhead) : record.length;
        NotifyAndWait(TN_ADD_BYTES, bytes, true);
        SendByte(kAckByte, false);
        timeouts = 0;
    }
}

void CORVSerialPort::Impl::WriteRecordToFile() {
    ORV_CHECK(armed && file.IsOpen() && armedKind == Save && record.length > 0);
    std::string decoded;
    std::string_view data = record.View();
    if (IsText()) {
        std::optional<std::string> text = DecodeTextRecord(data);
        if (!text) {
            return;
        }
        decoded = std::move(*text);
        data = decoded;
    }
    std::string carried;  // a record moved out of the full file to make room for its T
    for (;;) {
        try {
            if (!carried.empty()) {
                file.Append(carried);
                carried.clear();
            }
            file.Append(data);
            return;
        } catch (const FileError& e) {
            std::string moved;
            if (e.Cause() != FileErrorCause::DiskFull || !ContinueSaveOnNewDisk(moved)) {
                throw;
            }
            carried.insert(0, moved);
        }
    }
}

bool CORVSerialPort::Impl::ContinueSaveOnNewDisk(std::string& moved) {
    if (!removable) {
        return false;
    }
    SendByte(kEnqByte, false);
    moved = file.MarkContinued();
    CommitSave();
    NextContinuationName();
    NotifyAndWait(TN_DISK_FULL, 0, true);
    OpenTransferFileAsking(TN_CANNOT_CONTINUE);
    return true;
}

void CORVSerialPort::Impl::EndSave() {
    SendByte(kAckByte, false);
    CommitSave();
    CloseTransferFile();
    NotifyAndWait(TN_FINISHED, IDM_TRANSFER_COMPLETED, false);
    PurgeInput();
    started = false;
    transfer = false;
}

}  // namespace orv
