// Capture commands: plain capture, two-shot merge, picture-in-picture
// composition, camera synthesis, double capture, vice capture, split capture.

#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "capture/CaptureGeometry.h"
#include "capture/FileNaming.h"
#include "capture/ProfileName.h"
#include "capture/QMultiCapDialog.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

namespace {
bool isPdfEntry(int formatEntry) {
    return formatEntry == 1 || formatEntry == 2;
}

// A file in the shared temporary folder that the camera library is about to
// write: whatever is at that name (possibly a link planted by another user)
// is removed first; the library then creates the file anew.
QByteArray freshTempPath(const QByteArray& name) {
    const QByteArray path = platform::tempFolder() + name;
    QFile::remove(platform::fromLocal(path));
    return path;
}
} // namespace

void MainForm::reportCaptureFailure() {
    if (cfg.Language == 1)
        platform::showMessage(QStringLiteral("Capture failed: the picture could not be written."),
                              QStringLiteral("Information"));
    else
        platform::showMessage(QStringLiteral("拍照失败!"), QStringLiteral("提示"));
}

QByteArray MainForm::BuildCapturePathAvoiding(const QList<QByteArray>& taken) {
    const QByteArray base = naming::capturePath(imageFolder, NextFileName(), fileExtension);
    QByteArray path = base;
    for (int n = 2; taken.contains(path); ++n)
        path = naming::insertBeforeExtension(base, "_" + QByteArray::number(n));
    QFile::remove(platform::fromLocal(path));
    return path;
}

bool MainForm::CaptureImage(int cameraIndex) {
    QByteArray path = BuildCapturePath();
    const int count = OrvCapture(cameraIndex, path.constData());
    if (count <= 0) {
        // Nothing was written: no strip item for a file that isn't there.
        reportCaptureFailure();
        return false;
    }
    if (isPdfEntry(ui->comboBoxFmt->currentIndex())) {
        const QByteArray picture = freshTempPath("OrvImage.jpg");
        OrvCapture(cameraIndex, picture.constData());
        const QByteArray shown = path.mid(path.lastIndexOf('/') + 1);
        AddThumbItemEx(path, picture, shown);
        return true;
    }
    AddThumbItem(path);
    if (ui->checkBoxSplitCap->isChecked() && path.lastIndexOf('.') > 0) {
        path = naming::insertBeforeExtension(path, "_split");
        AddThumbItem(path);
    }
    if (count > 1) {
        const QByteArray base = path.left(path.size() - fileExtension.size());
        for (int i = 1; i <= count; ++i)
            AddThumbItem(base + "_" + QByteArray::number(i) + fileExtension);
    }
    return true;
}

QByteArray MainForm::ComposeMainSub() {
    const QByteArray mainPath = BuildCapturePathAvoiding({});
    const QByteArray subPath = BuildCapturePathAvoiding({mainPath});
    const int mainCount = OrvCapture(pair.main(), mainPath.constData());
    const int subCount = OrvCapture(pair.vice(), subPath.constData());
    const QByteArray outPath = BuildCapturePathAvoiding({mainPath, subPath});
    if (mainCount <= 0 || subCount <= 0)
        return QByteArray();

    capture::Composition c;
    OrvGetVideoRectEx(pair.main(), &c.videoLeft, &c.videoTop, &c.videoRight, &c.videoBottom);
    c.smallSize = pDiaSmallVideo->size();
    c.smallPos = pDiaSmallVideo->pos();
    c.videoOrigin = pDiaSmallVideo->allowedArea.topLeft();
    c.imageWidth = OrvGetImageWidth(mainPath.constData());
    c.imageHeight = OrvGetImageHeight(mainPath.constData());
    const capture::Placement p = capture::placeSubPicture(c);
    if (OrvCombineMainSubEn(mainPath.constData(), subPath.constData(), outPath.constData(), p.width,
                            p.height, -p.offsetX, -p.offsetY) <= 0)
        return QByteArray();
    return outPath;
}

void MainForm::onScan() {
    const int main = pair.main();
    if (!ui->checkBoxWaterMark->isChecked())
        OrvClearWatermark(main);
    const bool vicePreview = pair.viceOn();
    const bool inVideo = pair.viceMode() == camera::ViceMode::InPicture;

    if (ui->checkBoxMix->isChecked()) {
        QByteArray shot;
        if (inVideo) {
            shot = ComposeMainSub();
        } else {
            // The merged picture and both shots each need a name of their
            // own, also under naming rules that don't advance.
            shot = BuildCapturePathAvoiding({firstShotPath});
            if (OrvCapture(main, shot.constData()) <= 0)
                shot.clear();
        }
        if (shot.isEmpty()) {
            firstShotPath.clear();
            reportCaptureFailure();
            return;
        }
        if (firstShotPath.isEmpty()) {
            firstShotPath = shot;
            platform::showMessage(
                QStringLiteral("第一张或身份证正面已拍照, 请翻面或更换文档后点击确认拍照第二张"),
                QStringLiteral("提示"));
            onScan();
            return;
        }
        secondShotPath = shot;
        const QByteArray list = firstShotPath + ";" + secondShotPath + ";";
        const QByteArray out = BuildCapturePathAvoiding({firstShotPath, secondShotPath});
        int merged = 0;
        if (ui->radioButtonV->isChecked())
            merged = OrvImagesMix(list.constData(), 1, 2, 0, 0, out.constData());
        else if (ui->radioButtonH->isChecked())
            merged = OrvImagesMix(list.constData(), 0, 1, 2, 0, out.constData());
        firstShotPath.clear();
        if (merged <= 0) {
            reportCaptureFailure();
            return;
        }
        AddThumbItem(out);
        return;
    }

    if (vicePreview) {
        if (inVideo) {
            const QByteArray out = ComposeMainSub();
            if (out.isEmpty())
                reportCaptureFailure();
            else
                AddThumbItem(out);
            return;
        }
        if (mainSubCompose) {
            const QByteArray prefix = "orvanta-" + QByteArray::number(uint(::getuid())) + "-";
            const QByteArray mainPicture = freshTempPath(prefix + "Orv01.jpg");
            const QByteArray vicePicture = freshTempPath(prefix + "Orv02.jpg");
            const bool shotsOk = OrvCapture(main, mainPicture.constData()) > 0 &&
                                 OrvCapture(pair.vice(), vicePicture.constData()) > 0;
            const QByteArray out = BuildCapturePath();
            const QByteArray list = vicePicture + ";" + mainPicture + ";";
            if (!shotsOk || OrvImagesMix(list.constData(), 1, 2, 0, 0, out.constData()) <= 0) {
                reportCaptureFailure();
                return;
            }
            AddThumbItem(out);
            return;
        }
    }
    CaptureImage(main);
}

void MainForm::onDoubleCapture() {
    OrvSetCaptureMode(pair.main(), 1);
    CaptureImage(pair.main());
    OrvSetCaptureMode(pair.main(), 0);
}

void MainForm::onTkphto2() {
    CaptureImage(pair.vice());
}

void MainForm::onSplitCap() {
    OrvEnableSplitCap(pair.main(), ui->checkBoxSplitCap->isChecked());
}

void MainForm::onClickBoxMix() {
    const bool on = ui->checkBoxMix->isChecked();
    ui->radioButtonH->setEnabled(on);
    ui->radioButtonV->setEnabled(on);
    if (!on) {
        firstShotPath.clear();
        secondShotPath.clear();
    }
}

void MainForm::onMainSubComp() {
    mainSubCompose = ui->checkBoxMainSub->isChecked();
}

// ---- continuous capture and the watermark ----

void MainForm::createCaptureDialogs() {
    multiCapDialog = new QMultiCapDialog(
        MultiCapValues{cfg.multiCapMode, cfg.captureInterval, cfg.captureLimit}, this);
    multiCapDialog->hide();
    connect(multiCapDialog, &QMultiCapDialog::captureRequested, this,
            [this] { CaptureImage(pair.main()); });
    connect(multiCapDialog, &QMultiCapDialog::autoCaptureSwitched, this, &MainForm::SetAutoCapture);
    waterDialog = new ProfileName(WatermarkSettings::from(cfg), this);
    waterDialog->hide();
    connect(waterDialog, &ProfileName::applyRequested, this, &MainForm::ApplyWatermark);
}

void MainForm::storeCaptureDialogs() {
    if (multiCapDialog) {
        if (multiCapDialog->acceptsAutoCapture())
            SetAutoCapture(false);
        const MultiCapValues v = multiCapDialog->values();
        cfg.multiCapMode = v.mode;
        cfg.captureInterval = v.interval;
        cfg.captureLimit = v.limit;
    }
    if (waterDialog)
        waterDialog->settings().storeInto(cfg);
}

void MainForm::onAutoScan() {
    multiCapDialog->show();
    multiCapDialog->raise();
}

void MainForm::SetAutoCapture(bool on) {
    if (on)
        OrvSetAutoCapCB(pair.main(), &MainForm::OnAutoCapture);
    OrvSetAutoCap(pair.main(), on);
}

// The library reports a page turn, possibly on a thread of its own: the
// picture is taken on the GUI thread, and only while a smart run still
// waits for it (a report that crossed the stop is dropped).
void MainForm::OnAutoCapture(int) {
    MainForm* form = theMainForm;
    if (!form)
        return;
    auto work = [] {
        MainForm* f = theMainForm;
        if (!f || !f->multiCapDialog || !f->multiCapDialog->acceptsAutoCapture())
            return;
        f->CaptureImage(f->pair.main());
        f->multiCapDialog->ShowCapturedCount();
    };
    if (QThread::currentThread() == form->thread())
        work();
    else
        QMetaObject::invokeMethod(form, work, Qt::QueuedConnection);
}

void MainForm::onWaterMark() {
    if (ui->checkBoxWaterMark->isChecked())
        ApplyWatermark();
    else
        OrvClearWatermark(pair.main());
}

void MainForm::onWaterMarkSet() {
    waterDialog->applyLanguage(cfg.Language);
    waterDialog->show();
    waterDialog->raise();
}

void MainForm::ApplyWatermark() {
    if (!waterDialog)
        return;
    const _WATERMARKPARAM param = waterDialog->record(videoWidth, videoHeight);
    OrvClearWatermark(pair.main());
    OrvAddWaterMark(pair.main(), watermarkMode(waterDialog->withTime()), &param);
}
