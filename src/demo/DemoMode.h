// Demonstration mode: the program attached to a simulated device of its own
// through a pseudo-terminal, so that every transfer can be tried without a
// device. The run keeps its settings in a throw-away profile: the user's
// stored model, port, rate and recent files are neither used nor changed.
#pragma once

#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <optional>

#include "appcore/PortList.h"
#include "devsim/SimulatedDevice.h"

namespace orv {

class CORVSerialPort;
class CSimulatedDevicePanel;

class CDemoMode {
public:
    // Takes every "--demo" and "--demo=MODEL" out of arguments. Nothing when
    // there is none; otherwise the model index (Mirelda when none is named),
    // or an error text when the model is not known.
    struct Option {
        int modelIndex = -1;
        QString error;
    };
    static std::optional<Option> TakeOption(QStringList& arguments);

    // Creates the device. Throws std::system_error when no pseudo-terminal
    // can be had.
    explicit CDemoMode(uint32_t modelId);
    ~CDemoMode();
    CDemoMode(const CDemoMode&) = delete;
    CDemoMode& operator=(const CDemoMode&) = delete;

    // The profile of this run: the model and COM1 on the simulated device.
    std::unique_ptr<QSettings> OpenProfile();
    // Points the engine at the device; call while its port is closed.
    void Attach(CORVSerialPort& engine);
    // Another model was chosen while the port is closed: a device of that
    // model, with its own sample memory, takes the old one's place.
    void ChangeModel(uint32_t modelId, CORVSerialPort& engine);

    // The panel that plays the device's menu, beside the main window.
    void ShowPanel(QWidget* mainWindow);
    CSimulatedDevicePanel* Panel() const;
    // The program is ending: the panel closes with it.
    void EndDemonstration();

    devsim::SimulatedDevice& Device() { return *m_device; }

    // The line's pace for transfers: the bytes per second of the selected
    // rate, so that a transfer takes about as long as on a real line. Tests
    // turn it off.
    int BytesPerSecond() const;
    void SetPaced(bool paced) { m_paced = paced; }

private:
    void MapPort();

    std::unique_ptr<devsim::SimulatedDevice> m_device;
    QTemporaryDir m_home;
    QString m_profilePath;
    QPointer<CSimulatedDevicePanel> m_panel;
    PortSource m_previousPortSource;
    bool m_paced = true;
};

}  // namespace orv
