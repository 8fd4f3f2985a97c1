#include "FingerChooser.h"

#include <QApplication>
#include <QInputDialog>
#include <QStringList>
#include <QThread>

namespace tesolive {

namespace {

QByteArray askUser() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return QByteArray();
    static QString last;
    const QStringList fingers = {QStringLiteral("手指 A"), QStringLiteral("手指 B"),
                                 QStringLiteral("手指 C"), QStringLiteral("手指 D")};
    const int current = last.isEmpty() ? 0 : int(fingers.indexOf(last));
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(nullptr, QStringLiteral("虚拟指纹仪 (simulated reader)"),
                              QStringLiteral("放在指纹仪上的手指 (finger on the reader):"), fingers,
                              current < 0 ? 0 : current, true, &ok);
    if (!ok || chosen.trimmed().isEmpty())
        return QByteArray();
    last = chosen;
    return chosen.toUtf8();
}

} // namespace

QByteArray fingerOnReader() {
    if (qEnvironmentVariableIsSet("ORVANTA_VIRTUAL_FINGER"))
        return qgetenv("ORVANTA_VIRTUAL_FINGER");
    return askUser();
}

} // namespace tesolive
