// Profile file: read once at start, written once at exit.

#include "app/MainForm.h"
#include "config/SettingsFile.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

QString MainForm::profilePath() const {
    return config::profilePath(platform::fromLocal(documentsDir));
}

void MainForm::InitParam() {
    config::resetScannerParams(cfg);
}

void MainForm::ReadConfig() {
    // Reading computes the Documents location afresh; writing uses documentsDir.
    config::readSettings(config::profilePath(platform::fromLocal(platform::documentsLocation())),
                         cfg);
}

void MainForm::WriteConfig() {
    const QString path = profilePath();
    // The folder holding the profile may not exist when the working folder is
    // elsewhere; create it so the settings are not lost.
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Any failure, also a file the profile module refuses to rewrite (one
    // grown past its size limit), is reported once.
    if (!config::createIfMissing(path) || !config::writeSettings(path, cfg))
        shell::Language::tellChinese(QStringLiteral("写配置文件失败, 参数不能记忆!"));
}
