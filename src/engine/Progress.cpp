#include "engine/Progress.h"

#include <algorithm>
#include <cstdio>

#include "core/StringTable.h"
#include "engine/EngineHost.h"

namespace orv {

void TransferProgress::Start(uint32_t nowMs) {
    *this = TransferProgress();
    m_tickAtLastRate = nowMs;
}

void TransferProgress::SetTotal(long long total) {
    m_total = total;
    m_progressBytes = 0;
}

bool TransferProgress::Add(long value, uint32_t nowMs) {
    long long n = value & 0xFFFF;
    m_progressBytes += n;
    m_bytes += n;
    uint32_t elapsed = nowMs - m_tickAtLastRate;
    if (elapsed <= kRateIntervalMs) {
        return false;
    }
    m_rate = static_cast<double>(m_bytes - m_bytesAtLastRate) * 1000.0 / elapsed / 1024.0;
    m_tickAtLastRate = nowMs;
    m_bytesAtLastRate = m_bytes;
    return true;
}

int TransferProgress::Percent() const {
    if (m_total <= 0) {
        return 0;
    }
    long long percent = m_progressBytes * 100 / m_total;
    return static_cast<int>(std::clamp<long long>(percent, 0, 100));
}

std::string TransferProgress::RateText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", m_rate);
    return text;
}

std::string DiskPromptText(int code, const std::string& currentFileName,
                           const std::string& fileErrorText) {
    switch (code) {
        case TN_DISK_FULL:
            return LoadString(IDM_DISK_FULL);
        case TN_CANNOT_CONTINUE:
            return LoadString(IDM_CANNOT_CONTINUE) + fileErrorText;
        case TN_INSERT_CONTINUATION:
            return FormatString(IDM_INSERT_CONTINUATION, currentFileName);
        case TN_REINSERT_FIRST:
            return LoadString(IDM_REINSERT_FIRST);
        default:
            return {};
    }
}

}  // namespace orv
