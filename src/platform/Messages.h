#pragma once

#include <QString>

#include <functional>

namespace platform {

// Every message the program shows to the user goes through here: a modal box
// with the given caption, no owner window and an OK button.
void showMessage(const QString& text, const QString& caption);

// Tests install a handler that sees (and answers) every message instead of a
// box being shown; an empty handler restores the real box.
using MessageHandler = std::function<void(const QString& text, const QString& caption)>;
void setMessageHandler(MessageHandler handler);

} // namespace platform
