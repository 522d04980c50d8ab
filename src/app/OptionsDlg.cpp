#include "app/OptionsDlg.h"

#include <sys/stat.h>

#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "appcore/PortList.h"
#include "appcore/PortMap.h"
#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/DialogButtons.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {

COptionsDlg::COptionsDlg(QSettings& profile, QWidget* parent)
    : QDialog(parent), m_profile(profile) {
    setObjectName(ControlName(IDD_OPTIONS));
    setWindowTitle(LoadQString(IDS_PORTS_CAPTION));

    m_nPortSelection = g_Globals.CommPort - 1;
    m_bUseDefault = false;
    m_nBaudSelection = g_Globals.BaudIndex;
    if (g_Globals.BaudIndex == -1) {
        m_bUseDefault = true;
        m_nBaudSelection = kDefaultBaudIndex[g_Globals.ModelIndex];
    }

    auto* portGroup = new QGroupBox(LoadQString(IDS_PORTS_PORT_GROUP), this);
    m_ports = new QListWidget(portGroup);
    m_ports->setObjectName(ControlName(IDC_PORT_LIST));
    m_ports->setMinimumWidth(340);
    auto* otherLabel = new QLabel(LoadQString(IDS_PORTS_OTHER_LABEL), portGroup);
    m_devicePath = new QLineEdit(portGroup);
    m_devicePath->setObjectName(QStringLiteral("DevicePath"));
    m_devicePath->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    otherLabel->setBuddy(m_devicePath);
    auto* add = new QPushButton(LoadQString(IDS_PORTS_ADD), portGroup);
    add->setObjectName(QStringLiteral("AddDevice"));
    add->setAutoDefault(false);
    add->setEnabled(false);
    connect(m_devicePath, &QLineEdit::textChanged, add,
            [add](const QString& text) { add->setEnabled(!text.trimmed().isEmpty()); });
    connect(add, &QPushButton::clicked, this, &COptionsDlg::OnAddDevice);
    auto* other = new QHBoxLayout;
    other->addWidget(m_devicePath, 1);
    other->addWidget(add);
    auto* portLayout = new QVBoxLayout(portGroup);
    portLayout->addWidget(m_ports);
    portLayout->addWidget(otherLabel);
    portLayout->addLayout(other);

    auto* baudGroup = new QGroupBox(LoadQString(IDS_PORTS_BAUD_GROUP), this);
    m_useDefault = new QCheckBox(LoadQString(IDS_PORTS_USE_DEFAULT), baudGroup);
    m_useDefault->setObjectName(ControlName(IDC_USE_DEFAULT_RATE));
    m_bauds = new QListWidget(baudGroup);
    m_bauds->setObjectName(ControlName(IDC_RATE_LIST));
    m_bauds->setMaximumWidth(140);
    auto* baudLayout = new QVBoxLayout(baudGroup);
    baudLayout->addWidget(m_useDefault);
    baudLayout->addWidget(m_bauds);
    connect(m_useDefault, &QCheckBox::clicked, this, &COptionsDlg::OnUseDefault);

    auto* groups = new QHBoxLayout;
    groups->addWidget(portGroup, 1);
    groups->addWidget(baudGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(MakeOkCancelButtons(this).box);

    OnInitDialog();
}

void COptionsDlg::AddPortLine(unsigned number, const QString& description) {
    m_ports->addItem(PortLine{number, description}.Text());
}

void COptionsDlg::OnInitDialog() {
    m_useDefault->setChecked(m_bUseDefault);

    const std::vector<PortLine> lines = ListPorts(m_profile);
    if (lines.empty()) {
        // Nothing wrong inside the program: the computer has no serial port yet.
        ShowMessageBox(LoadQString(IDM_PORTS_NONE_FOUND), QMessageBox::Information);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (static_cast<int>(lines[i].number) == g_Globals.CommPort) {
            m_nPortSelection = static_cast<int>(i);
        }
        m_ports->addItem(lines[i].Text());
    }
    if (m_nPortSelection >= 0 && m_nPortSelection < m_ports->count()) {
        m_ports->setCurrentRow(m_nPortSelection);
    }

    const int* offered = kOfferedBaudIndices[g_Globals.ModelIndex];
    int target = m_bUseDefault ? kDefaultBaudIndex[g_Globals.ModelIndex] : g_Globals.BaudIndex;
    int i = 0;
    for (; i < kBaudRateCount && offered[i] >= 0; ++i) {
        m_bauds->addItem(QString::number(kBaudRates[offered[i]]));
        if (offered[i] == target) {
            m_bauds->setCurrentRow(i);
        }
    }
    m_nRateCount = i;
    m_bauds->setEnabled(!m_bUseDefault);
}

void COptionsDlg::OnUseDefault() {
    m_bUseDefault = !m_bUseDefault;
    m_useDefault->setChecked(m_bUseDefault);
    if (m_bUseDefault) {
        const int* offered = kOfferedBaudIndices[g_Globals.ModelIndex];
        for (int i = 0; i < m_nRateCount; ++i) {
            if (offered[i] == kDefaultBaudIndex[g_Globals.ModelIndex]) {
                m_bauds->setCurrentRow(i);
                break;
            }
        }
    }
    m_bauds->setEnabled(!m_bUseDefault);
}

bool COptionsDlg::IsListed(int number) const {
    const QString prefix = QStringLiteral("COM%1 - ").arg(number);
    for (int row = 0; row < m_ports->count(); ++row) {
        if (m_ports->item(row)->text().startsWith(prefix)) {
            return true;
        }
    }
    return false;
}

void COptionsDlg::OnAddDevice() {
    QString path = m_devicePath->text().trimmed();
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISCHR(st.st_mode) || IsConsoleDevice(path)) {
        ShowMessageBox(FormatQString(IDM_PORTS_NOT_SERIAL, path), QMessageBox::Warning);
        return;
    }
    PortMap map(m_profile);
    int number = map.PortOf(path.toStdString()).value_or(0);
    for (auto it = m_addedPorts.cbegin(); number == 0 && it != m_addedPorts.cend(); ++it) {
        if (it.value() == path) {
            number = it.key();
        }
    }
    for (int n = kFirstComPort; number == 0 && n <= kLastComPort; ++n) {
        if (!map.MappedPath(n) && !m_addedPorts.contains(n)) {
            number = n;
            m_addedPorts.insert(n, path);
        }
    }
    // All nine taken: a number whose device has gone and that no line shows.
    for (int n = kFirstComPort; number == 0 && n <= kLastComPort; ++n) {
        std::optional<std::string> mapped = map.MappedPath(n);
        if (!m_addedPorts.contains(n) && mapped && IsDeviceGone(*mapped) && !IsListed(n)) {
            number = n;
            m_addedPorts.insert(n, path);
        }
    }
    if (number == 0) {
        ShowMessageBox(FormatQString(IDM_PORTS_NONE_FREE, path), QMessageBox::Warning);
        return;
    }
    QString prefix = QStringLiteral("COM%1 - ").arg(number);
    for (int row = 0; row < m_ports->count(); ++row) {
        if (m_ports->item(row)->text().startsWith(prefix)) {
            m_ports->setCurrentRow(row);
            m_devicePath->clear();
            return;
        }
    }
    AddPortLine(static_cast<unsigned>(number), path);
    m_ports->setCurrentRow(m_ports->count() - 1);
    m_devicePath->clear();
}

void COptionsDlg::accept() {
    m_nBaudSelection = m_bauds->currentRow();
    m_nPortSelection = m_ports->currentRow();
    m_bUseDefault = m_useDefault->isChecked();

    // Only the digit right after "COM" names the port. Without a selected
    // line the port stays as it was.
    QListWidgetItem* line = m_ports->currentItem();
    QString text = line ? line->text() : QString();
    if (text.size() > 3 && text[3] >= QLatin1Char('1') && text[3] <= QLatin1Char('9')) {
        g_Globals.CommPort = text[3].digitValue();
    }
    if (m_bUseDefault) {
        g_Globals.BaudIndex = -1;
    } else if (m_nBaudSelection >= 0 && m_nBaudSelection < m_nRateCount) {
        // Without a selected rate the rate stays as it was.
        g_Globals.BaudIndex = kOfferedBaudIndices[g_Globals.ModelIndex][m_nBaudSelection];
    }
    PortMap map(m_profile);
    for (auto it = m_addedPorts.cbegin(); it != m_addedPorts.cend(); ++it) {
        map.SetDevicePath(it.key(), it.value().toStdString());
    }
    QDialog::accept();
}

}  // namespace orv
