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

// Copies source to a new file at target, never replacing one. Unlike
// QFile::copy, which would give the library's private temporary file's mode
// (0600) to the copy, the new file has the user's normal mode, as captures
// do. A copy that fails leaves no part of itself behind.
bool copyToNewFile(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = true;
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && out.flush();
    out.close();
    if (!ok || out.error() != QFileDevice::NoError) {
        out.remove();
        return false;
    }
    return true;
}

// What the user is told of a picture that was not stored: where it should
// have gone and, when the library wrote it, where it still is.
QString notStored(const QString& what, const QByteArray& folder, const QByteArray& source) {
    QString text = QStringLiteral("%1未能保存到 %2").arg(what, file(folder));
    if (!source.isEmpty() && QFileInfo(file(source)).isFile())
        text += QStringLiteral("，原图保留在 %1").arg(file(source));
    return text;
}

} // namespace

IdCardService::IdCardService(Hooks hooks, QObject* parent)
    : QObject(parent), hooks(std::move(hooks)) {}

IdCardService::Reading IdCardService::readCard(const QByteArray& workPath,
                                               const QByteArray& imageFolder) {
    Reading result;
    if (!OrvReadIDCard())
        return result;
    result.present = true;
    idcard::Reading reading;
    reading.fields = {copied(OrvGetIDName()),    copied(OrvGetIDSex()),
                      copied(OrvGetIDNation()),  copied(OrvGetIDBirthFull()),
                      copied(OrvGetIDAddress()), copied(OrvGetIDNum()),
                      copied(OrvGetIDDepart()),  copied(OrvGetIDTermDay())};
    reading.when = platform::now();

    const QByteArray log = workPath + "/IDInfo.csv";
    if (idcard::appendRow(log, idcard::dataRow(reading)) != idcard::AppendResult::Written)
        result.problems << QStringLiteral("身份证信息未能写入 %1").arg(file(log));

    const QByteArray head = copied(OrvGetIDHeadImagePath());
    if (!storePicture(head, idcard::picturePath(imageFolder, reading.when, "_head.jpg"), result))
        result.problems << notStored(QStringLiteral("头像"), imageFolder, head);
    const QByteArray card = copied(OrvMakeIDCard());
    if (!storePicture(card, idcard::picturePath(imageFolder, reading.when, "_idcard.jpg"), result))
        result.problems << notStored(QStringLiteral("身份证图像"), imageFolder, card);
    return result;
}

bool IdCardService::report(const Reading& reading) {
    if (hooks.addItem)
        for (const QByteArray& path : reading.stored)
            hooks.addItem(path);
    if (!reading.problems.isEmpty() && hooks.tell)
        hooks.tell(reading.problems.join(QLatin1Char('\n')));
    return reading.present;
}

bool IdCardService::read(const QByteArray& workPath, const QByteArray& imageFolder) {
    return report(readCard(workPath, imageFolder));
}

bool IdCardService::startRead(const QByteArray& workPath, const QByteArray& imageFolder) {
    return work.start(
        this, [workPath, imageFolder] { return readCard(workPath, imageFolder); },
        [this](const Reading& reading) { report(reading); });
}

bool IdCardService::storePicture(const QByteArray& source, const QByteArray& target,
                                 Reading& reading) {
    if (source.isEmpty() || target.isEmpty() || !QFileInfo(file(source)).isFile())
        return false;
    if (!copyToNewFile(file(source), file(target)))
        return false;
    reading.stored << target;
    QFile::remove(file(source));
    return true;
}

void IdCardService::loadModels() {
    work.prepare([] { IdCardRecogLibrary::instance().init(); });
}

QString IdCardService::recognise(const QByteArray& path) {
    QByteArray text;
    if (!IdCardRecogLibrary::instance().recognise(path, text))
        return QStringLiteral("身份证识别库 libidcardrecog.so 无法加载");
    return QString::fromLocal8Bit(text);
}

bool IdCardService::startRecognise(const QByteArray& path,
                                   std::function<void(const QString&)> done) {
    return work.start(
        this, [path] { return recognise(path); },
        [done = std::move(done)](const QString& text) {
            if (done)
                done(text);
        });
}
