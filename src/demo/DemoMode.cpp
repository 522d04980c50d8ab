#include "demo/DemoMode.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "appcore/PortMap.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "demo/DemoTexts.h"
#include "demo/SimulatedDevicePanel.h"
#include "engine/Serial.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {
namespace {

const QString kOption = QStringLiteral("--demo");

// Slower than this, a long record would outlast the engine's read time-out.
constexpr int kSlowestPace = 960;

QString ModelNameText(int modelIndex) {
    return QStr(LoadString(ModelNameId(modelIndex)));
}

}  // namespace

std::optional<CDemoMode::Option> CDemoMode::TakeOption(QStringList& arguments) {
    std::optional<Option> option;
    for (auto it = arguments.begin(); it != arguments.end();) {
        if (*it != kOption && !it->startsWith(kOption + QLatin1Char('='))) {
            ++it;
            continue;
        }
        option = Option{};
        QString model = it->mid(kOption.size() + 1);
        if (*it == kOption) {
            option->modelIndex = ModelIndexOf(kModelMirelda);
        } else if (std::optional<int> index = ParseModel(StdStr(model))) {
            option->modelIndex = *index;
        } else {
            QStringList names;
            for (int i = 0; i < kModelCount; ++i) {
                names.append(ModelNameText(i));
            }
            option->error =
                FormatQString(IDM_DEMO_UNKNOWN_MODEL, model, names.join(QStringLiteral(", ")));
        }
        it = arguments.erase(it);
    }
    return option;
}

CDemoMode::CDemoMode(uint32_t modelId)
    : m_device(std::make_unique<devsim::SimulatedDevice>(modelId)) {
    // The port list of this run is the simulated device alone: Port settings
    // shows it and never probes the machine's own ports.
    m_previousPortSource = SetPortSource([this] {
        return QList<FoundPort>{{QStr(m_device->PortPath()),
                                 FormatQString(IDS_DEMO_PORT_DESCRIPTION,
                                               ModelNameText(ModelIndexOf(m_device->ModelId())))}};
    });
}

CDemoMode::~CDemoMode() {
    // The panel reads the device: it goes first.
    delete m_panel.data();
    m_device->Stop();
    SetPortSource(std::move(m_previousPortSource));
}

std::unique_ptr<QSettings> CDemoMode::OpenProfile() {
    if (m_profilePath.isEmpty()) {
        m_profilePath = QDir(m_home.path()).filePath(QStringLiteral("demo.conf"));
    }
    auto profile = std::make_unique<QSettings>(m_profilePath, QSettings::IniFormat);
    const QString section = QString::fromLatin1(kSettingsSection) + QLatin1Char('/');
    profile->setValue(section + QString::fromLatin1(kKeyDevice),
                      ModelNameText(ModelIndexOf(m_device->ModelId())));
    profile->setValue(section + QString::fromLatin1(kKeyCommPort), 1);
    profile->sync();
    MapPort();
    return profile;
}

void CDemoMode::MapPort() {
    if (m_profilePath.isEmpty()) {
        return;
    }
    // Settings objects of one file share their values within the process, so
    // the program's own profile object sees this at once.
    QSettings profile(m_profilePath, QSettings::IniFormat);
    PortMap(profile).SetDevicePath(1, m_device->PortPath());
}

void CDemoMode::Attach(CORVSerialPort& engine) {
    engine.SetDevicePath(m_device->PortPath());
}

void CDemoMode::ChangeModel(uint32_t modelId, CORVSerialPort& engine) {
    if (m_panel) {
        m_panel->Detach();
    }
    m_device->Stop();
    try {
        m_device = std::make_unique<devsim::SimulatedDevice>(modelId);
    } catch (const std::exception& e) {
        // The device of the old model stays attached; the program goes on.
        ShowMessageBox(FormatQString(IDM_DEMO_NO_DEVICE, QString::fromLocal8Bit(e.what())),
                       QMessageBox::Warning);
    }
    MapPort();
    Attach(engine);
    if (m_panel) {
        m_panel->Attach();
    }
}

void CDemoMode::ShowPanel(QWidget* mainWindow) {
    if (!m_panel) {
        m_panel = new CSimulatedDevicePanel(*this, mainWindow);
    }
    // Side by side when the screen has room for both, the device on the right.
    QScreen* screen =
        mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect main = mainWindow->frameGeometry();
    QSize panel = m_panel->frameGeometry().size();
    constexpr int kGap = 12;
    int width = main.width() + kGap + panel.width();
    if (width <= area.width()) {
        int left = area.left() + (area.width() - width) / 2;
        mainWindow->move(left, main.top());
        m_panel->move(left + main.width() + kGap, main.top());
    } else {
        m_panel->move(area.right() - panel.width(), area.top());
    }
    m_panel->show();
}

CSimulatedDevicePanel* CDemoMode::Panel() const {
    return m_panel.data();
}

void CDemoMode::EndDemonstration() {
    if (m_panel) {
        m_panel->EndDemonstration();
    }
}

int CDemoMode::BytesPerSecond() const {
    if (!m_paced) {
        return 0;
    }
    // Ten bits on the line for each byte: 8 data bits, a start and a stop bit.
    int rate = static_cast<int>(EffectiveBaudRate(g_Globals.BaudIndex, g_Globals.ModelIndex) / 10);
    return std::max(rate, kSlowestPace);
}

}  // namespace orv
