// What a progress display shows of a transfer, worked out once for every
// host: bytes moved, the rate over the last interval, the share of the
// current file done, and the texts of the disk prompts.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

class TransferProgress {
public:
    // The rate is worked out again once more than this has passed.
    static constexpr uint32_t kRateIntervalMs = 500;

    // All counts zero; the first rate interval starts at nowMs (a tick
    // counter of milliseconds that may wrap at 2^32).
    void Start(uint32_t nowMs);
    // TN_SET_TOTAL: the share starts again for a file of total bytes.
    void SetTotal(long long total);
    // TN_ADD_BYTES: only the low 16 bits of value count. True when the rate
    // has been worked out again.
    bool Add(long value, uint32_t nowMs);

    long long Bytes() const { return m_bytes; }
    bool HasTotal() const { return m_total != 0; }
    // 0 to 100.
    int Percent() const;
    double RateKilobytesPerSecond() const { return m_rate; }
    std::string RateText() const;  // two decimals

private:
    long long m_total = 0;
    long long m_progressBytes = 0;
    long long m_bytes = 0;
    long long m_bytesAtLastRate = 0;
    uint32_t m_tickAtLastRate = 0;
    double m_rate = 0;
};

// The question a disk notification (TN_DISK_FULL, TN_CANNOT_CONTINUE,
// TN_INSERT_CONTINUATION, TN_REINSERT_FIRST) puts to the user, answered with
// OK or Cancel; empty for any other code.
std::string DiskPromptText(int code, const std::string& currentFileName,
                           const std::string& fileErrorText);

}  // namespace orv
