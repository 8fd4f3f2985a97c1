// Program entry: application, default skin, palette, the main window.

#include "app/MainForm.h"
#include "app/Resources.h"
#include "platform/Signals.h"

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
    QApplication app(argc, argv);
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
