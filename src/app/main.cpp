// Program entry: application, default skin, palette, the main window.

#include "app/MainForm.h"
#include "app/Resources.h"
#include "platform/Signals.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

int main(int argc, char* argv[]) {
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
