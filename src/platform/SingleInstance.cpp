#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace platform {

namespace {
const char request[] = "raise\n";
const char answer[] = "ok\n";
} // namespace

SingleInstance::SingleInstance(const QString& folderPath, QObject* parent)
    : QObject(parent), folder(folderPath) {
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
}

SingleInstance::~SingleInstance() {
    if (server)
        server->close(); // removes the socket file
}

QString SingleInstance::socketPath() const {
    return folder + QStringLiteral("/orvanta.socket");
}

bool SingleInstance::acquire() {
    QDir().mkpath(folder);
    lock = std::make_unique<QLockFile>(folder + QStringLiteral("/orvanta.lock"));
    // Never stale by age: only a lock whose program is gone is taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        lock.reset();
        return false;
    }
    // A socket file left by a program that died would refuse the listen.
    QLocalServer::removeServer(socketPath());
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (!peer->canReadLine())
                    return;
                if (peer->readLine() == request) {
                    peer->write(answer);
                    peer->flush();
                    emit activationRequested();
                }
                peer->disconnectFromServer();
            });
        }
    });
    // Without the socket the program still runs alone; a later start then
    // finds the lock and reports that the first one does not answer.
    server->listen(socketPath());
    return true;
}

bool SingleInstance::notifyFirst(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // The first program may be between taking the lock and listening.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(request);
            if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
                return false;
            while (!socket.canReadLine())
                if (!socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
                    return false;
            return socket.readLine() == answer;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace platform
