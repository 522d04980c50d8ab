// Arming, the handshake in which the device names the operation, the abort,
// and stepping through the files of a transfer.
#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "engine/RemovableDrive.h"
#include "engine/SerialImpl.h"

namespace orv {

void CORVSerialPort::ArmTransfer(const std::string& path, TransferKind kind) {
    Impl& d = *m_impl;
    if (kind != Save) {
        try {
            TransferFile check;
            check.OpenForRead(path);
        } catch (const FileError& e) {
            d.host.ShowMessage(e.Message());
            return;
        }
    }
    g_Globals.LastFilePath = path;
    d.SetCurrentFileName(path);
    d.armedKind = kind;
    d.armed = true;
}

bool CORVSerialPort::Impl::StartTransfer() {
    ORV_CHECK(portOpen && !transfer && !started && !file.IsOpen());
    format = Undetermined;
    secondPass = false;
    transfer = true;
    SendByte(kReadyByte, true);

    while (!started) {
        char byte = 0;
        ReadBytes(&byte, 1, true);
        int code = 0;
        TransferKind kind = Save;
        switch (byte) {
            case 'S':
            case 's':
                format = Records;
                code = TN_SAVE_REQUEST;
                break;
            case 'O':
                format = Text;
                code = TN_SAVE_REQUEST;
                break;
            case 'L':
            case 'l':
                code = TN_RESTORE_REQUEST;
                kind = Restore;
                break;
            case 'B':
                format = Text;
                code = TN_RESTORE_REQUEST;
                kind = Restore;
                break;
            case 'W':
                SendByte(kAckByte, false);
                secondPass = true;
                format = Text;
                code = TN_RESTORE_REQUEST;
                kind = Restore;
                break;
            case 'i':
            case 'V':
                if (!SupportsIconImport(modelId)) {
                    continue;  // a model without imports: the next byte decides
                }
                code = byte == 'i' ? TN_ICONS_REQUEST : TN_SOUND_REQUEST;
                kind = byte == 'i' ? ImportIcons : ImportSound;
                break;
            case kRequestByte:
                continue;
            default:
                transfer = false;
                return false;
        }
        NotifyAndWait(code, 0, true);
        if (!armed || armedKind != kind) {
            // Never go on with a file armed for another kind: a restore file
            // would be overwritten by a save.
            ORV_INTERNAL_ERROR();
            ThrowORVException(IDM_TRANSFER_CANCELLED);
        }
        started = true;
    }

    firstFileName = GetCurrentFileName();
    continuationCounter = 2;
    continuationSuffix = "2";
    continuation = false;
    OpenTransferFile();
    SendByte(kAckByte, false);
    return true;
}

void CORVSerialPort::Impl::AbortTransfer(bool sendAbortByte, int messageId) {
    if (sendAbortByte && !hungUp) {
        char byte = started ? kRequestByte : kRetryByte;
        line->Write(&byte, 1, timeoutMs);  // the transfer is over either way
    }
    PurgeInput();
    NotifyAndWait(TN_FINISHED, messageId, false);
    cancel = false;
    started = false;
    if (file.HasUnfinishedSave() && armedKind == Save) {
        KeepIncompleteSave();
    }
    CloseTransferFile();
    // Last: the transfer is over for the UI only once it is disarmed, or a
    // file armed in between would be disarmed with this one.
    transfer = false;
}

void CORVSerialPort::Impl::KeepIncompleteSave() {
    std::string temp = file.TemporaryPath();
    std::string kept = file.KeepIncomplete();
    if (kept.empty() && !stop) {
        host.ShowMessage(FormatString(IDM_INCOMPLETE_NOT_RENAMED,
                                      IncompleteFileName(FileNamePart(file.RealPath())), temp));
    }
}

void CORVSerialPort::Impl::OpenTransferFile() {
    ORV_CHECK(!file.IsOpen() && armed);
    std::string name = GetCurrentFileName();
    if (armedKind == Save) {
        file.CreateForSave(name);
    } else {
        file.OpenForRead(name);
    }
    // The list names real files of the user's: a save's file once it has
    // been written (CommitSave), never the import files made on the way.
    if (!continuation && armedKind == Restore) {
        host.AddToRecentFiles(name);
    }
    fileLength = file.Length();
    removable = IsOnRemovableDrive(name);
}

void CORVSerialPort::Impl::OpenTransferFileAsking(int askAgainCode) {
    for (;;) {
        CheckCancelled();
        try {
            OpenTransferFile();
            return;
        } catch (const FileError& e) {
            // Only the question about a continuation file says why.
            if (askAgainCode == TN_CANNOT_CONTINUE) {
                std::lock_guard lock(nameMutex);
                fileErrorText = e.Message().substr(0, kMaxFileErrorText);
            }
            NotifyAndWait(askAgainCode, 0, true);
            // The device's byte sent while the user was asked is no data.
            char discard = 0;
            ReadBytes(&discard, 1, false);
            std::this_thread::yield();
        }
    }
}

void CORVSerialPort::Impl::CommitSave() {
    file.Commit();
    if (!continuation) {
        host.AddToRecentFiles(firstFileName);
    }
}

void CORVSerialPort::Impl::CloseTransferFile() {
    if (file.HasUnfinishedSave()) {
        KeepIncompleteSave();
    }
    file.Close();
    if (continuation) {
        ResetToFirstFile();
    }
    continuation = false;
    armed = false;
}

void CORVSerialPort::Impl::NextContinuationName() {
    SetCurrentFileName(ContinuationName(firstFileName, continuationSuffix));
    ++continuationCounter;
    continuationSuffix = std::to_string(continuationCounter);
    continuation = true;
}

void CORVSerialPort::Impl::ResetToFirstFile() {
    SetCurrentFileName(firstFileName);
    continuationCounter = 2;
    continuationSuffix = "2";
}

}  // namespace orv
