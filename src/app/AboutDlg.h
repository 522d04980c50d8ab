// The about box: name, version, and how much memory the machine has and uses.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QLabel>
#include <cstdint>

namespace orv {

struct MemoryStatus {
    uint64_t totalBytes = 0;
    unsigned loadPercent = 0;  // share of the memory in use
};

// Reads the text of /proc/meminfo. False when it holds no total.
bool ParseMemInfo(const QByteArray& text, MemoryStatus& status);
// The machine's memory now.
MemoryStatus QueryMemoryStatus();

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Fills the two value fields.
    void ShowMemoryStatus(const MemoryStatus& status);

private:
    QLabel* m_memory;
    QLabel* m_resources;
};

}  // namespace orv
