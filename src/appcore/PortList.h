// The serial ports of the machine as COM numbers, on top of the profile's
// port map (PortMap).
#pragma once

#include <QList>
#include <QSettings>
#include <QString>
#include <functional>
#include <vector>

namespace orv {

constexpr int kMaxProbedPort = 8;

// Whether the profile maps any COM number to a device yet.
bool HasPortMap(QSettings& profile);

// A serial device the system reports.
struct FoundPort {
    QString path;
    QString description;
};
// Where the list of serial devices comes from: QSerialPortInfo unless
// replaced (tests give their pseudo-terminals).
using PortSource = std::function<QList<FoundPort>()>;
// Returns the source it replaces.
PortSource SetPortSource(PortSource source);

// Whether path is a terminal device that carries the system console: such a
// device is never listed, probed or opened.
bool IsConsoleDevice(const QString& path);

// The serial devices of the machine, each with a COM number (remembered in
// the profile) and a description, in the order the system lists them.
// Devices beyond the ninth number and the console are left out. Always true:
// the system's list can be read on every machine.
bool EnumeratePorts(QSettings& profile, std::vector<unsigned>& numbers,
                    std::vector<QString>& descriptions);
// COM1 to COM8 whose devices open, or exist but are in use.
bool ProbePorts(QSettings& profile, std::vector<unsigned>& numbers);

// One line of the port settings dialog's port list.
struct PortLine {
    unsigned number;
    QString description;
    // "COM3 - " and the description.
    QString Text() const;
};
// The port list as the port settings dialog shows it: the system's list, or,
// when that finds nothing, COM1 to COM8 probed, each described as
// "*Communications Port". Empty when neither finds a port.
std::vector<PortLine> ListPorts(QSettings& profile);

}  // namespace orv
