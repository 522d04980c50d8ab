#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/QtText.h"
#include "ui/ToolbarIcons.h"

namespace orv {
namespace {

// The value of a "Name:   1234 kB" line, in kB; -1 when missing.
long long MemInfoValue(const QByteArray& text, const QByteArray& name) {
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(name + ':')) {
            QList<QByteArray> fields = line.mid(name.size() + 1).simplified().split(' ');
            bool ok = false;
            long long value = fields.value(0).toLongLong(&ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

}  // namespace

bool ParseMemInfo(const QByteArray& text, MemoryStatus& status) {
    long long totalKb = MemInfoValue(text, "MemTotal");
    if (totalKb <= 0) {
        return false;
    }
    long long availableKb = MemInfoValue(text, "MemAvailable");
    if (availableKb < 0) {
        // Kernels before 3.14 do not report an estimate.
        availableKb = std::max(0LL, MemInfoValue(text, "MemFree")) +
                      std::max(0LL, MemInfoValue(text, "Buffers")) +
                      std::max(0LL, MemInfoValue(text, "Cached"));
    }
    availableKb = std::min(availableKb, totalKb);
    status.totalBytes = static_cast<uint64_t>(totalKb) * 1024;
    status.loadPercent = static_cast<unsigned>((totalKb - availableKb) * 100 / totalKb);
    return true;
}

MemoryStatus QueryMemoryStatus() {
    MemoryStatus status;
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) {
        ParseMemInfo(f.readAll(), status);
    }
    return status;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(ControlName(IDD_ABOUTBOX));
    setWindowTitle(LoadQString(IDS_ABOUT_CAPTION));

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(LoadQString(IDS_APP_NAME), this);
    QFont big = ScaledFont(name->font(), 1.3);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(LoadQString(IDS_ABOUT_VERSION), this);
    auto* purpose = new QLabel(LoadQString(IDS_ABOUT_PURPOSE), this);
    purpose->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(purpose);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_memory = new QLabel(this);
    m_memory->setObjectName(ControlName(IDC_ABOUT_MEMORY));
    m_memory->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_resources = new QLabel(this);
    m_resources->setObjectName(ControlName(IDC_ABOUT_RESOURCES));
    m_resources->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* values = new QGridLayout;
    values->addWidget(new QLabel(LoadQString(IDS_ABOUT_MEMORY_LABEL), this), 0, 0);
    values->addWidget(m_memory, 0, 1);
    values->addWidget(new QLabel(LoadQString(IDS_ABOUT_RESOURCES_LABEL), this), 1, 0);
    values->addWidget(m_resources, 1, 1);

    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(LoadQString(IDS_BUTTON_OK), QDialogButtonBox::AcceptRole);
    ok->setObjectName(ControlName(IDC_OK));
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(values);
    layout->addWidget(box);
    setMinimumWidth(420);

    ShowMemoryStatus(QueryMemoryStatus());
}

void CAboutDlg::ShowMemoryStatus(const MemoryStatus& status) {
    m_memory->setText(
        FormatQString(IDS_ABOUT_MEMORY_VALUE, QString::number(status.totalBytes / 1024)));
    m_resources->setText(
        FormatQString(IDS_ABOUT_RESOURCES_VALUE, QString::number(status.loadPercent)));
}

}  // namespace orv
