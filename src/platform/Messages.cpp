#include "platform/Messages.h"
#include "platform/Log.h"

#include <QMessageBox>

namespace platform {

namespace {
MessageHandler& handler() {
    static MessageHandler theHandler;
    return theHandler;
}
} // namespace

void showMessage(const QString& text, const QString& caption) {
    qCInfo(lcMessage).noquote() << caption << text;
    if (handler()) {
        handler()(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

void setMessageHandler(MessageHandler h) {
    handler() = std::move(h);
}

} // namespace platform
