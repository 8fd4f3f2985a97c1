#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace platform {

void preferX11() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool moveByWindowSystem(QWidget* window) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    QWindow* handle = window->windowHandle();
    return handle && handle->startSystemMove();
}

} // namespace platform
