#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace platform {

// One running program per user and display session: the first start holds
// a lock file in the runtime folder ($XDG_RUNTIME_DIR) and listens on a local
// socket beside it; a later start finds the lock taken, asks the first one
// to come to the front and ends. Two programs would otherwise each write
// their settings at exit, the last one overwriting the other's.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (the runtime folder when
    // empty).
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first one; it then listens for later
    // starts. A lock left by a program that died is taken over.
    bool acquire();

    // In a later start: asks the first program to raise its window; false
    // when it did not answer within the time.
    bool notifyFirst(int timeoutMs = 5000);

    QString socketPath() const;

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    QString folder;
    std::unique_ptr<QLockFile> lock;
    QLocalServer* server = nullptr;
};

} // namespace platform
