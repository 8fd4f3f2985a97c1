#include "platform/QtTranslations.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

bool useQtTranslations(int language) {
    static QTranslator* installed = nullptr;
    if (language != 0 && language != 1)
        return true;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language == 1)
        return true;
    auto* translator = new QTranslator;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qt_zh_CN"), folder)) {
        delete translator;
        qCWarning(lcApp).noquote()
            << "Qt's Chinese texts are missing in" << folder << "(package qt6-translations-l10n)";
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace platform
