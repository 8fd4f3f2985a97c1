// Working folder set-up and choice.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "platform/Messages.h"
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
    imageFolder = cfg.workPath;
    bool imagesOk = folderExists(imageFolder) || makeFolder(imageFolder);
    // Without a folder the capture service refuses to capture.
    captures->setImageFolder(imagesOk ? imageFolder : QByteArray());
    if (!imagesOk)
        platform::showMessage(QStringLiteral("创建图像目录失败!"), QStringLiteral("提示"));
    // The recordings go to the working folder as well.
    bool recordingsOk = folderExists(cfg.workPath) || makeFolder(cfg.workPath);
    if (!recordingsOk)
        platform::showMessage(QStringLiteral("创建录像目录失败!"), QStringLiteral("提示"));
    return imagesOk && recordingsOk;
}

void MainForm::InitWorkFolder() {
    if (!folderExists(cfg.workPath)) {
        cfg.workPath = documentsDir + "/Orvanta";
        if (folderExists(cfg.workPath) || makeFolder(cfg.workPath))
            SetupOutputFolders();
        else
            platform::showMessage(QStringLiteral("创建工作目录失败!"), QStringLiteral("提示"));
    } else {
        SetupOutputFolders();
    }
    ui->lineEditFilePath->setText(platform::fromLocal(cfg.workPath));
}
