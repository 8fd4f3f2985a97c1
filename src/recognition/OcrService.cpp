#include "recognition/OcrService.h"

#include "platform/Paths.h"
#include "recognition/QOCRResultDlg.h"
#include "shell/Language.h"
#include <modaocr/ModaOCR.h>
#include <modaocr/ModaOCRWords.h>
#include <orvcore/OrvCoreLib.h>

#include <QAbstractButton>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Removes whatever is at path (a file, a link, an empty folder) without
// following a link; true when nothing is there afterwards.
bool clearPath(const QByteArray& path) {
    struct stat st {};
    if (lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return rmdir(path.constData()) == 0;
    return unlink(path.constData()) == 0;
}

// A picture the capture has just written: a regular, non-empty file, not a
// link planted after the old file was removed.
bool isCapturedPicture(const QByteArray& path) {
    struct stat st {};
    return lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

} // namespace

OcrService::Run OcrService::recognise(const QByteArray& path) {
    Run run;
    run.noModels = QByteArray(fnModaOCRLanguages()).isEmpty();
    // The engine's settings are fixed; the text is copied at once.
    if (!run.noModels)
        run.text =
            QByteArray(fnModaOCREx(path.constData(), 50, 0, 0.6f, 0.3f, 3.0f, 2.0f, false, false));
    return run;
}

OcrService::OcrService(QWidget* window, std::function<int()> lang)
    : QObject(window), resultDialog(new QOCRResultDlg(window)), language(std::move(lang)) {
    resultDialog->hide();
}

OcrService::~OcrService() {
    // A page still being read is waited for; its text is dropped.
    if (isRunning())
        setBusy(busyTrigger, false);
}

int OcrService::currentLanguage() const {
    return language ? language() : 0;
}

void OcrService::setExportExtension(const QByteArray& extension) {
    resultDialog->setExportExtension(extension);
}

QByteArray OcrService::imagePath() {
    return platform::privateTempFolder() + "13.jpg";
}

bool OcrService::start(int cameraIndex, QAbstractButton* trigger) {
    if (isRunning())
        return false;
    const int lang = currentLanguage();
    resultDialog->setLanguage(lang);
    resultDialog->setPage({}, {});
    const QByteArray path = imagePath();
    // A picture left from an earlier run must never be read as this one.
    if (!clearPath(path)) {
        showText(QString());
        // Captioned "提示" in every language, as it always was.
        shell::Language::tellChinese(shell::Language::text(
            lang,
            QStringLiteral("无法删除旧的识别图片 %1，未进行识别!").arg(platform::fromLocal(path)),
            QStringLiteral("The old OCR picture %1 cannot be removed; nothing was read.")
                .arg(platform::fromLocal(path))));
        return false;
    }
    OrvCapture(cameraIndex, path.constData());
    if (!isCapturedPicture(path)) {
        showText(QString());
        shell::Language::tellChinese(
            shell::Language::text(lang, QStringLiteral("拍照失败，未能识别!"),
                                  QStringLiteral("The capture failed; nothing was read.")));
        return false;
    }
    work.start(
        this, [path] { return recognise(path); }, [this](const Run& run) { done(run); });
    setBusy(trigger, true);
    return true;
}

void OcrService::done(const Run& run) {
    setBusy(busyTrigger, false);
    if (run.noModels) {
        shell::Language::tellChinese(shell::Language::text(
            currentLanguage(),
            QStringLiteral("未找到文字识别模型 (Tesseract chi_sim 或 eng, 软件包 "
                           "tesseract-ocr-chi-sim 与 tesseract-ocr-eng), 未能识别!"),
            QStringLiteral("No text recognition models are installed (Tesseract "
                           "\"chi_sim\" or \"eng\", packages tesseract-ocr-chi-sim "
                           "and tesseract-ocr-eng): nothing was read.")));
        emit finished();
        return;
    }
    // The page goes with the text, for a PDF of the picture with its words.
    QFile picture(platform::fromLocal(imagePath()));
    resultDialog->setPage(picture.open(QIODevice::ReadOnly) ? picture.readAll() : QByteArray(),
                          QString::fromUtf8(run.text));
    showText(QString::fromUtf8(run.text));
    emit finished();
}

void OcrService::setBusy(QAbstractButton* trigger, bool busy) {
    // The busy cursor is the background work's.
    if (busy) {
        busyTrigger = trigger;
        if (trigger) {
            idleText = trigger->text();
            statusText = shell::Language::text(currentLanguage(), QStringLiteral("识别中…"),
                                               QStringLiteral("Reading…"));
            trigger->setText(statusText);
            trigger->setEnabled(false);
        }
        return;
    }
    if (trigger) {
        // A language switch during the run has already put the right text.
        if (trigger->text() == statusText)
            trigger->setText(idleText);
        trigger->setEnabled(true);
    }
    busyTrigger = nullptr;
}

void OcrService::showText(const QString& text) {
    resultDialog->setOCRText(text);
    resultDialog->show();
    resultDialog->raise();
}
