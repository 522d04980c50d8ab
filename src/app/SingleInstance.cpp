#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace orv {
namespace {

constexpr char kAck = '!';

}  // namespace

CSingleInstance::CSingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), m_name(serverName) {
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

CSingleInstance::~CSingleInstance() {
    Close();
}

QString CSingleInstance::DefaultServerName() {
    QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
    QByteArray profile =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toUtf8();
    QString hash = QString::fromLatin1(
        QCryptographicHash::hash(profile, QCryptographicHash::Sha1).toHex().left(12));
    return QStringLiteral("ORV 4.2-%1-%2").arg(user, hash);
}

bool CSingleInstance::HandOver(const QStringList& arguments, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) {
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
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name)) {
        return true;
    }
    // A socket left behind by a copy that crashed: nobody answered HandOver.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}

void CSingleInstance::Close() {
    if (m_server.isListening()) {
        m_server.close();
    }
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
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
