#include "recognition/FingerprintService.h"

#include "platform/Messages.h"
#include "platform/Paths.h"
#include "recognition/FingerprintFile.h"
#include "shell/Language.h"

#include <cstdio>

namespace {

void toStandardOutput(const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

QByteArray result(const char* what, int value) {
    return QByteArray(what) + "\tnRet = " + QByteArray::number(value) + " \n";
}

} // namespace

FingerprintService::FingerprintService(FolderSource source)
    : folders(std::move(source)), diagnostic(toStandardOutput) {}

QString FingerprintService::libraryPath() const {
    return platform::fromLocal(folders().program + libraryFileName());
}

QString FingerprintService::dataFilePath() const {
    QByteArray work = folders().work;
    if (!work.endsWith('/'))
        work += '/';
    return platform::fromLocal(work + dataFileName());
}

bool FingerprintService::openReader(TcHandle& handle) {
    QByteArray module;
    if (!driver.loadFingerDriver(libraryPath(), handle, module)) {
        diagnostic("Cann't open " + libraryFileName() + " driver!\r\n");
        return false;
    }
    diagnostic(" Load DLL in " + module + "\n");
    if (!driver.deleteHandle() || !driver.doFeature() || !driver.doTemplet() ||
        !driver.safeMatch()) {
        driver.unloadFingerDriver(handle);
        diagnostic("Failure to get function  pointer!\r\n");
        return false;
    }
    return true;
}

void FingerprintService::enrollFingerprint(const QByteArray& name) {
    TcHandle handle = 0;
    if (!openReader(handle))
        return;
    diagnostic("All success, now begin to \" \"...\r\n");

    char buffer[FingerprintFile::templateSize] = {};
    const int ret = driver.doTemplet()(handle, buffer);
    if (ret < 0) {
        diagnostic(result("TcDoTemplet", ret));
        driver.unloadFingerDriver(handle);
        return;
    }
    buffer[FingerprintFile::templateSize - 1] = '\0';
    diagnostic("Reg=[" + QByteArray(buffer) + "]\r\n");

    QString error;
    const FingerprintFile file(dataFilePath());
    if (file.append(name, QByteArray(buffer, FingerprintFile::templateSize), &error))
        shell::Language::tellChinese(QStringLiteral("指纹采集完成!"));
    else
        shell::Language::tellChinese(
            QStringLiteral("指纹保存失败, 没有写入 %1: %2").arg(file.path(), error));
    driver.unloadFingerDriver(handle);
}

void FingerprintService::matchFingerprint() {
    QList<FingerprintFile::Record> records;
    if (FingerprintFile(dataFilePath()).read(records) != FingerprintFile::ReadResult::Read) {
        platform::showMessage(QStringLiteral("未发现注册的指纹信息!"), QString());
        return;
    }

    TcHandle handle = 0;
    if (!openReader(handle))
        return;
    shell::Language::tellChinese(QStringLiteral("请将手指放在指纹仪上!"));
    char feature[FingerprintFile::templateSize] = {};
    const int ret = driver.doFeature()(handle, feature);
    feature[FingerprintFile::templateSize - 1] = '\0';
    if (ret < 0)
        diagnostic(result("TcDoFeature", ret));
    else
        diagnostic("Ver=[" + QByteArray(feature) + "]\r\n");

    for (const FingerprintFile::Record& record : records) {
        const int match = driver.safeMatch()(0, record.templateText.constData(), feature, 3);
        if (match >= 0) {
            shell::Language::tellChinese(
                QStringLiteral("比对成功, 输入指纹者为: %1").arg(platform::fromLocal(record.name)));
            driver.unloadFingerDriver(handle);
            return;
        }
        diagnostic(result("FPIFpMatch", match));
    }
    platform::showMessage(QStringLiteral("未发现相关指纹!"), QString());
    driver.unloadFingerDriver(handle);
}
