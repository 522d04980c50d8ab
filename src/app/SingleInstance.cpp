#include "app/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cerrno>

namespace orv {
namespace {

constexpr char kAck = '!';

// A folder that only this user may enter: owned by them, not a link, and
// closed to group and others.
bool IsPrivateFolder(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && QDir::isAbsolutePath(path) &&
           ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The user of the process at the other end of a connected local socket.
bool PeerIs(qintptr descriptor, uid_t uid) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer && peer.uid == uid;
}

}  // namespace

CSingleInstance::CSingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), m_uid(::geteuid()) {
    QString folder = RuntimeFolder();
    if (!folder.isEmpty()) {
        m_path = QDir(folder).filePath(serverName);
    }
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

CSingleInstance::~CSingleInstance() {
    Close();
}

QString CSingleInstance::DefaultServerName() {
    QByteArray profile =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toUtf8();
    QString hash = QString::fromLatin1(
        QCryptographicHash::hash(profile, QCryptographicHash::Sha1).toHex().left(12));
    return QStringLiteral("ORV 4.2-%1").arg(hash);
}

QString CSingleInstance::RuntimeFolder() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) {
        return runtime;
    }
    // Another account may have made this name first: then it is not ours
    // and is not used.
    QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("orv-%1").arg(::geteuid()));
    if (::mkdir(QFile::encodeName(own).constData(), S_IRWXU) != 0 && errno != EEXIST) {
        return QString();
    }
    return IsPrivateFolder(own) ? own : QString();
}

bool CSingleInstance::HandOver(const QStringList& arguments, int timeoutMs) {
    if (m_path.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    // Nothing goes to a listener of another user's.
    if (!PeerIs(socket.socketDescriptor(), m_uid)) {
        return false;
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << QDir::currentPath() << arguments;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // The running copy answers once it has taken the command line; a copy
    // that does not answer is hung, and this one ends all the same rather
    // than run a second copy beside it.
    socket.waitForReadyRead(timeoutMs);
    return true;
}

bool CSingleInstance::Listen() {
    if (m_path.isEmpty()) {
        return false;
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_path)) {
        return true;
    }
    // A socket left behind by a copy that crashed: nobody answered HandOver.
    QLocalServer::removeServer(m_path);
    return m_server.listen(m_path);
}

void CSingleInstance::Close() {
    if (m_server.isListening()) {
        m_server.close();
    }
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (!PeerIs(socket->socketDescriptor(), m_uid)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QString folder;
            QStringList arguments;
            in >> folder >> arguments;
            if (!in.commitTransaction()) {
                return;  // the rest has not arrived yet
            }
            socket->write(&kAck, 1);
            socket->flush();
            emit SecondStart(folder, arguments);
        });
    }
}

}  // namespace orv
