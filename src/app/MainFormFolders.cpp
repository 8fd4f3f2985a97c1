// Working folder set-up and choice.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

#include <QDir>
#include <QFileInfo>

namespace {
bool folderExists(const QByteArray& path) {
    return !path.isEmpty() && QFileInfo(platform::fromLocal(path)).isDir();
}
bool makeFolder(const QByteArray& path) {
    return !path.isEmpty() && QDir().mkpath(platform::fromLocal(path));
}
} // namespace

bool MainForm::SetupOutputFolders() {
    const QByteArray& folder = cfg.workPath;
    const bool imagesOk = folderExists(folder) || makeFolder(folder);
    // Without a folder the capture service refuses to capture.
    captures->setImageFolder(imagesOk ? folder : QByteArray());
    if (!imagesOk)
        shell::Language::tellChinese(QStringLiteral("创建图像目录失败!"));
    // The recordings go to the working folder as well.
    const bool recordingsOk = folderExists(cfg.workPath) || makeFolder(cfg.workPath);
    if (!recordingsOk)
        shell::Language::tellChinese(QStringLiteral("创建录像目录失败!"));
    return imagesOk && recordingsOk;
}

void MainForm::InitWorkFolder() {
    if (!folderExists(cfg.workPath)) {
        cfg.workPath = documentsDir + "/Orvanta";
        if (folderExists(cfg.workPath) || makeFolder(cfg.workPath))
            SetupOutputFolders();
        else
            shell::Language::tellChinese(QStringLiteral("创建工作目录失败!"));
    } else {
        SetupOutputFolders();
    }
    ui->lineEditFilePath->setText(platform::fromLocal(cfg.workPath));
}
