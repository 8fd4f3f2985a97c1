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
    return text(m_stored, zh, en);
}

void Language::tell(const QString& zh, const QString& en) const {
    tell(m_stored, zh, en);
}

QString Language::text(int language, const QString& zh, const QString& en) {
    return language == 1 ? en : zh;
}

void Language::tell(int language, const QString& zh, const QString& en) {
    if (language == 1)
        platform::showMessage(en, QStringLiteral("Information"));
    else
        tellChinese(zh);
}

void Language::tellChinese(const QString& zh) {
    platform::showMessage(zh, QStringLiteral("提示"));
}

} // namespace shell
