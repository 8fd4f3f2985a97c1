#include "recognition/IdCardService.h"

#include "platform/Clock.h"
#include "recognition/IdCardLog.h"
#include "recognition/IdCardRecogLibrary.h"

#include <orvcore/OrvCoreLib.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

QByteArray copied(const char* text) {
    return text ? QByteArray(text) : QByteArray();
}

QString file(const QByteArray& path) {
    return QString::fromLocal8Bit(path);
}

} // namespace

bool IdCardService::read(const QByteArray& workPath, const QByteArray& imageFolder) {
    if (!OrvReadIDCard())
        return false;
    idcard::Reading reading;
    reading.fields = {copied(OrvGetIDName()),    copied(OrvGetIDSex()),
                      copied(OrvGetIDNation()),  copied(OrvGetIDBirthFull()),
                      copied(OrvGetIDAddress()), copied(OrvGetIDNum()),
                      copied(OrvGetIDDepart()),  copied(OrvGetIDTermDay())};
    reading.when = platform::now();

    QStringList problems;
    const QByteArray log = workPath + "/IDInfo.csv";
    if (idcard::appendRow(log, idcard::dataRow(reading)) != idcard::AppendResult::Written)
        problems << QStringLiteral("身份证信息未能写入 %1").arg(file(log));

    const QByteArray head = copied(OrvGetIDHeadImagePath());
    if (!storePicture(head, idcard::picturePath(imageFolder, reading.when, "_head.jpg")))
        problems << QStringLiteral("头像未能保存到 %1").arg(file(imageFolder));
    const QByteArray card = copied(OrvMakeIDCard());
    if (!storePicture(card, idcard::picturePath(imageFolder, reading.when, "_idcard.jpg")))
        problems << QStringLiteral("身份证图像未能保存到 %1").arg(file(imageFolder));

    if (!problems.isEmpty() && hooks.tell)
        hooks.tell(problems.join(QLatin1Char('\n')));
    return true;
}

bool IdCardService::storePicture(const QByteArray& source, const QByteArray& target) {
    if (source.isEmpty() || target.isEmpty() || !QFileInfo(file(source)).isFile())
        return false;
    // QFile::copy never replaces an existing target.
    if (!QFile::copy(file(source), file(target)))
        return false;
    if (hooks.addItem)
        hooks.addItem(target);
    QFile::remove(file(source));
    return true;
}

QString IdCardService::recognise(const QByteArray& path) {
    QByteArray text;
    if (!IdCardRecogLibrary::instance().recognise(path, text))
        return QStringLiteral("身份证识别库 libidcardrecog.so 无法加载");
    return QString::fromLocal8Bit(text);
}
