#include "capture/DriverHandoff.h"

#include "capture/CaptureService.h"
#include "capture/ThumbnailStrip.h"
#include "config/Settings.h"
#include "platform/DriverWindow.h"
#include "platform/Paths.h"
#include "shell/Language.h"

#include <QFile>

namespace capture {

DriverHandoff::DriverHandoff(Settings& settings, ThumbnailStrip& strip, CaptureService& captures,
                             const shell::Language& language)
    : cfg(settings), strip(strip), captures(captures), language(language) {}

QString DriverHandoff::listFile() {
    return platform::fromLocal(platform::tempFolder()) + QStringLiteral("OrvCommit.txt");
}

bool DriverHandoff::commit() {
    const QString file = listFile();
    switch (strip.commit(file)) {
    case ThumbnailStrip::CommitResult::NotLoaded:
    case ThumbnailStrip::CommitResult::Unsupported:
        return true;
    case ThumbnailStrip::CommitResult::Empty:
        // A list left from an earlier run would hand the driver pictures
        // this session never took.
        QFile::remove(file);
        return false;
    case ThumbnailStrip::CommitResult::WriteFailed:
        language.tell(QStringLiteral("无法将图像提交给扫描驱动: 临时目录不可写!"),
                      QStringLiteral("Could not hand the pictures to the scanner "
                                     "driver: the temporary folder is not writable."));
        return false;
    case ThumbnailStrip::CommitResult::Written:
        cfg.fileNameCounter = 0;
        captures.endDocument();
        return true;
    }
    return true;
}

void DriverHandoff::windowClosing(const platform::DriverWindow& driver) {
    if (!driver.exists())
        return;
    commit();
    driver.requestClose();
}

} // namespace capture
