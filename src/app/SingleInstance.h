// One running copy per user and profile: the first copy listens on a local
// socket in the user's private runtime folder; a later start hands its
// command line over and ends. Only the same user's starts are listened to,
// and a start hands over only to a copy of the same user.
#pragma once

#include <sys/types.h>

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace orv {

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // serverName: a name in the runtime folder.
    explicit CSingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket's name: from "ORV 4.2" and the profile folder, so that
    // copies with separate profiles do not meet.
    static QString DefaultServerName();
    // The folder of the socket: $XDG_RUNTIME_DIR when it is a folder of this
    // user's that nobody else may enter, else a folder of ORV's own in the
    // temporary folder, made private. Empty when neither can be had.
    static QString RuntimeFolder();

    // Where the socket lives; empty when there is no private folder for it.
    QString EndpointPath() const { return m_path; }

    // When a copy of this user is running: hands it the working folder and
    // the arguments, waits until it has taken them, and returns true.
    bool HandOver(const QStringList& arguments, int timeoutMs = 5000);
    // Starts listening for later starts. False when the socket cannot be made.
    bool Listen();
    void Close();

    // The user whose starts are taken; tests pose as another one.
    void SetExpectedUser(uid_t uid) { m_uid = uid; }

signals:
    // A later start handed over its command line. Relative file names are to
    // be read against workingFolder.
    void SecondStart(const QString& workingFolder, const QStringList& arguments);

private:
    void OnNewConnection();

    QString m_path;
    uid_t m_uid;
    QLocalServer m_server;
};

}  // namespace orv
