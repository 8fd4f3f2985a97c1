#include "IdCardReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QSettings>
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

bool readCardFile(const QString& path, IdCardData& card) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.read(1 << 20);
    QString photo;
    if (bytes.trimmed().startsWith('{')) {
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        if (!doc.isObject())
            return false;
        const QJsonObject o = doc.object();
        for (int i = 0; i < 8; ++i)
            *fieldOf(card, i) = o.value(QLatin1String(kKeys[i])).toString().toUtf8();
        photo = o.value(QLatin1String("photo")).toString();
    } else {
        QSettings ini(path, QSettings::IniFormat);
        if (ini.status() != QSettings::NoError)
            return false;
        const QString group = ini.childGroups().value(0);
        if (!group.isEmpty())
            ini.beginGroup(group);
        for (int i = 0; i < 8; ++i)
            *fieldOf(card, i) = ini.value(QLatin1String(kKeys[i])).toString().toUtf8();
        photo = ini.value(QStringLiteral("photo")).toString();
    }
    if (card.name.isEmpty() || card.number.isEmpty())
        return false;
    if (!photo.isEmpty())
        card.photo = QImage(QFileInfo(path).dir().filePath(photo));
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
