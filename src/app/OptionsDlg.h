// Port settings: the COM port and the baud rate.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QSettings>
#include <vector>

namespace orv {

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    COptionsDlg(QSettings& profile, QWidget* parent = nullptr);

    QListWidget* PortList() const { return m_ports; }
    QListWidget* BaudList() const { return m_bauds; }
    QCheckBox* UseDefaultBox() const { return m_useDefault; }
    QLineEdit* DevicePathEdit() const { return m_devicePath; }

    void OnUseDefault();
    // Adds the device path typed by the user as a port of its own.
    void OnAddDevice();
    void accept() override;

private:
    void OnInitDialog();
    void AddPortLine(unsigned number, const QString& description);
    // Whether a line of the port list shows COMnumber.
    bool IsListed(int number) const;

    QSettings& m_profile;
    int m_nBaudSelection;
    int m_nPortSelection;
    bool m_bUseDefault;
    int m_nRateCount = 0;
    // Devices typed in: remembered in the port map only on OK.
    QMap<int, QString> m_addedPorts;

    QListWidget* m_ports;
    QCheckBox* m_useDefault;
    QListWidget* m_bauds;
    QLineEdit* m_devicePath;
};

}  // namespace orv
