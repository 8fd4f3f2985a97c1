// Program entry: application, default skin, palette, the main window.

#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/Resources.h"
#include "platform/Log.h"
#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "platform/WindowSystem.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <malloc.h>

int main(int argc, char* argv[]) {
    // Camera frames are allocated and freed on several streaming threads;
    // with an arena per thread, freed frames stay in the process and its
    // size wanders by a frame or two over a long session. One arena keeps
    // it flat at this program's allocation rate.
    mallopt(M_ARENA_MAX, 1);
    // --help and --version need no display.
    if (const int status = app::answerCommandLine(argc, argv); status >= 0)
        return status;
    platform::preferX11();
    QApplication app(argc, argv);

    platform::SingleInstance instance;
    if (!instance.acquire()) {
        if (instance.notifyFirst()) {
            qCInfo(lcApp) << "Orvanta is running already; its window was brought to the front";
            return 0;
        }
        qCCritical(lcApp).noquote()
            << "Orvanta is running already but does not answer at" << instance.socketPath();
        return 1;
    }
    qCInfo(lcApp).noquote() << "Orvanta " ORVANTA_VERSION " on" << QGuiApplication::platformName();
    QObject::connect(&instance, &platform::SingleInstance::activationRequested, [] {
        // A message still open at start-up comes first, then the window.
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            w = theMainForm;
        if (!w)
            return;
        qCInfo(lcApp) << "a second start brings the window to the front";
        if (w->isMinimized())
            w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
    });
    initResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/image/orv.png")));
    platform::quitOnTerminationSignals();

    QFile skin(QStringLiteral(":/image/chocolate.css"));
    QString sheet;
    if (skin.open(QIODevice::ReadOnly))
        sheet = QString::fromLatin1(skin.readAll());
    app.setStyleSheet(sheet);
    app.setPalette(QPalette(QColor(QStringLiteral("#F0F0F0"))));

    auto* form = new MainForm;
    platform::runEventLoop();
    // The window's destructor writes the settings and ends the process with
    // exit code 0, whatever the event loop returned.
    delete form;
    return 0;
}
