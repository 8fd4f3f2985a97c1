#include "shell/Language.h"

#include "platform/Messages.h"

namespace shell {

Language::Language(int& stored, QObject* parent) : QObject(parent), m_stored(stored) {}

void Language::set(int language) {
    if (language == m_stored)
        return;
    m_stored = language;
    emit languageChanged(language);
}

QString Language::text(const QString& zh, const QString& en) const {
    return english() ? en : zh;
}

void Language::tell(const QString& zh, const QString& en) const {
    if (english())
        platform::showMessage(en, QStringLiteral("Information"));
    else
        tellChinese(zh);
}

void Language::tellChinese(const QString& zh) {
    platform::showMessage(zh, QStringLiteral("提示"));
}

} // namespace shell
