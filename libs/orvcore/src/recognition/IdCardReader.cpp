#include "IdCardReader.h"

#include "config/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>
#include <QTemporaryFile>

namespace orv {

namespace {

const char* const kKeys[] = {"name",    "sex",    "nation",    "birth",
                             "address", "number", "authority", "validity"};

QByteArray* fieldOf(IdCardData& card, int index) {
    QByteArray* fields[] = {&card.name,    &card.sex,    &card.nation,    &card.birth,
                            &card.address, &card.number, &card.authority, &card.validity};
    return fields[index];
}

// Says why a card file gives no card: the virtual reader has no window,
// and a card that silently is not there looks like a reader fault.
bool refuse(const QString& path, const QString& why) {
    qWarning("virtual ID card reader: %s: %s", qPrintable(QDir::toNativeSeparators(path)),
             qPrintable(why));
    return false;
}

// Text of a card file as UTF-8: UTF-8 stays as it is; other bytes are taken
// as GB18030 (which GBK is part of), the code page such files are written in
// on Chinese systems. False when they are neither.
bool toUtf8(QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return true;
    QStringDecoder gbk("GB18030");
    const QString asGbk = gbk.decode(bytes);
    if (!gbk.isValid() || gbk.hasError())
        return false;
    bytes = asGbk.toUtf8();
    return true;
}

bool readJsonCard(const QString& path, const QByteArray& raw, IdCardData& card, QString& photo) {
    QByteArray bytes = raw;
    if (!toUtf8(bytes))
        return refuse(path, QStringLiteral("neither UTF-8 nor GBK text"));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return refuse(path, QStringLiteral("not valid JSON at byte %1: %2")
                                .arg(error.offset)
                                .arg(error.errorString()));
    if (!doc.isObject())
        return refuse(path, QStringLiteral("the JSON text is not an object"));
    const QJsonObject o = doc.object();
    for (int i = 0; i < 8; ++i) {
        const QJsonValue v = o.value(QLatin1String(kKeys[i]));
        if (!v.isUndefined() && !v.isString())
            return refuse(path, QStringLiteral("\"%1\" is not a text").arg(kKeys[i]));
        *fieldOf(card, i) = v.toString().toUtf8();
    }
    photo = o.value(QLatin1String("photo")).toString();
    return true;
}

// An INI card file: the keys of its first section, read by the rules of the
// program's profile files (a value runs to the end of its line, commas and
// semicolons included; a quoted value loses its quotes).
bool readIniCard(const QString& path, IdCardData& card, QString& photo) {
    const ProfileFile ini(path);
    const QList<QByteArray> sections = ini.sections();
    if (sections.isEmpty())
        return refuse(path, QStringLiteral("neither a JSON object nor an INI file with a section"));
    constexpr int kLongest = 4096;
    for (int i = 0; i <= 8; ++i) {
        QByteArray value =
            ini.readString(sections.first(), i < 8 ? kKeys[i] : "photo", QByteArray(), kLongest);
        if (!toUtf8(value))
            return refuse(path, QStringLiteral("\"%1\" is neither UTF-8 nor GBK text")
                                    .arg(i < 8 ? kKeys[i] : "photo"));
        if (i < 8)
            *fieldOf(card, i) = value;
        else
            photo = QString::fromUtf8(value);
    }
    return true;
}

bool readCardFile(const QString& path, IdCardData& card) {
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return refuse(path, QStringLiteral("cannot be read"));
    const QByteArray bytes = f.read(ProfileFile::kMaxFileBytes + 1);
    if (bytes.size() > ProfileFile::kMaxFileBytes)
        return refuse(path, QStringLiteral("larger than a card file can be"));
    QString photo;
    const bool json = bytes.trimmed().startsWith('{');
    if (!(json ? readJsonCard(path, bytes, card, photo) : readIniCard(path, card, photo)))
        return false;
    if (card.name.isEmpty() || card.number.isEmpty())
        return refuse(path, QStringLiteral("the card has no name or no number"));
    if (!photo.isEmpty()) {
        card.photo = QImage(QFileInfo(path).dir().filePath(photo));
        if (card.photo.isNull())
            qWarning("virtual ID card reader: %s: the photo %s cannot be read; a drawn one is used",
                     qPrintable(QDir::toNativeSeparators(path)), qPrintable(photo));
    }
    if (card.photo.isNull())
        card.photo = drawnPhoto();
    return true;
}

} // namespace

QImage drawnPhoto() {
    // 358 x 441 pixels: the chip photograph's shape (26 x 32 mm at 350 dpi).
    QImage img(358, 441, QImage::Format_RGB32);
    img.fill(QColor(236, 242, 248));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 78, 92));
    p.drawEllipse(QPointF(179, 175), 92, 110); // hair
    p.setBrush(QColor(226, 190, 160));
    p.drawEllipse(QPointF(179, 195), 78, 98); // face
    QPainterPath body;
    body.moveTo(20, 441);
    body.cubicTo(30, 330, 110, 300, 179, 300);
    body.cubicTo(248, 300, 328, 330, 338, 441);
    body.closeSubpath();
    p.setBrush(QColor(48, 58, 80));
    p.drawPath(body);
    return img;
}

IdCardData sampleCard() {
    IdCardData card;
    card.name = "林晓明";
    card.sex = "男";
    card.nation = "汉";
    card.birth = "19900307";
    card.address = "北京市东城区示例路88号院3号楼2单元501室";
    const QByteArray first17 = "11010119900307123";
    card.number = first17 + idNumberCheck(first17);
    card.authority = "北京市公安局东城分局";
    card.validity = "2015.06.01-2035.06.01";
    card.photo = drawnPhoto();
    return card;
}

bool readVirtualCard(IdCardData& card) {
    if (!qEnvironmentVariableIsSet("ORVANTA_VIRTUAL_IDCARD")) {
        card = sampleCard();
        return true;
    }
    const QString file = qEnvironmentVariable("ORVANTA_VIRTUAL_IDCARD");
    if (file.isEmpty() || file == QLatin1String("none"))
        return false;
    IdCardData read;
    if (!readCardFile(file, read))
        return false;
    card = read;
    return true;
}

QByteArray fullBirth(const QByteArray& birth) {
    if (birth.size() != 8)
        return birth;
    for (char c : birth)
        if (c < '0' || c > '9')
            return birth;
    return birth.left(4) + '-' + birth.mid(4, 2) + '-' + birth.mid(6, 2);
}

char idNumberCheck(const QByteArray& first17) {
    if (first17.size() != 17)
        return 0;
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        const char c = first17[i];
        if (c < '0' || c > '9')
            return 0;
        sum += (c - '0') * weights[i];
    }
    return "10X98765432"[sum % 11];
}

QByteArray writeTempJpeg(const QImage& image, const QString& stem) {
    QTemporaryFile file(QDir::temp().filePath(stem + QStringLiteral("_XXXXXX.jpg")));
    file.setAutoRemove(false);
    if (!file.open())
        return QByteArray();
    if (!image.save(&file, "JPEG", 92) || !file.flush()) {
        file.remove();
        return QByteArray();
    }
    file.close();
    return QFile::encodeName(file.fileName());
}

} // namespace orv
