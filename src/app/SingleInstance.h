// One running copy per user and profile: the first copy listens on a local
// socket; a later start hands its command line over and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace orv {

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket's name: from "ORV 4.2", the user and the profile folder, so
    // that copies with separate profiles do not meet.
    static QString DefaultServerName();

    // When a copy is running: hands it the working folder and the arguments,
    // waits until it has taken them, and returns true.
    bool HandOver(const QStringList& arguments, int timeoutMs = 5000);
    // Starts listening for later starts. False when the socket cannot be made.
    bool Listen();
    void Close();

signals:
    // A later start handed over its command line. Relative file names are to
    // be read against workingFolder.
    void SecondStart(const QString& workingFolder, const QStringList& arguments);

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer m_server;
};

}  // namespace orv
