#include "capture/NamingPanel.h"

#include "platform/Paths.h"
#include "shell/Language.h"

#include <climits>

namespace capture {

namespace {
// A decimal integer in [low, high]; false for anything else.
bool readInt(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}
} // namespace

NamingPanel::NamingPanel(Settings& settings, const shell::Language& language)
    : cfg(settings), language(language) {}

bool NamingPanel::chooseRule(int index) {
    if (index < Automatic || index > Custom || index == cfg.nameRule)
        return false;
    cfg.nameRule = index;
    return true;
}

QString NamingPanel::nameLabel() const {
    if (rule() == Custom)
        return QStringLiteral("文件名:");
    return language.text(QStringLiteral("前缀:"), QStringLiteral("Prefix:"));
}

QString NamingPanel::nameBoxText() const {
    return rule() == Automatic ? prefix() : QString();
}

QString NamingPanel::prefix() const {
    return platform::fromLocal(cfg.prefixName);
}

void NamingPanel::editName(const QString& text) {
    if (rule() == Automatic)
        cfg.prefixName = platform::toLocal(text);
}

bool NamingPanel::editDigits(const QString& text) {
    if (readInt(text, 1, 20, &cfg.fileNameDigits))
        return true;
    shell::Language::tellChinese(QStringLiteral("请输入[1-20]之间的数字!"));
    return false;
}

bool NamingPanel::editStep(const QString& text) {
    if (readInt(text, 1, 100, &cfg.fileNameStep))
        return true;
    shell::Language::tellChinese(QStringLiteral("请输入[1-100]之间的数字!"));
    return false;
}

bool NamingPanel::editCounter(const QString& text) {
    if (readInt(text, INT_MIN, INT_MAX, &cfg.fileNameCounter))
        return true;
    shell::Language::tellChinese(QStringLiteral("请输入整数!"));
    return false;
}

} // namespace capture
