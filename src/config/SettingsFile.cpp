#include "config/SettingsFile.h"

#include "config/ProfileFile.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <limits>
#include <variant>

namespace config {
namespace {

const QByteArray kSection("Orv twain driver param");

// How a key's text becomes a value.
enum class Reader {
    Short, // text into a 10-byte buffer (9 characters count), then atoi
    Int,   // ProfileFile::readInt
    Text,  // text of at most 259 bytes
    Ratio, // text of at most 259 bytes, then atof in the C locale
};

constexpr int kShortBuffer = 10;
constexpr int kTextBuffer = 260;

using Field =
    std::variant<int Settings::*, bool Settings::*, QByteArray Settings::*, float Settings::*>;

struct Key {
    const char* name;
    Reader reader;
    const char* missing; // value when the file exists but the key does not
    Field field;
    bool written = true;
};

// Every key, in the order in which it is read and written.
const Key kKeys[] = {
    {"DevIndex", Reader::Short, "0", &Settings::mainCameraIndex},
    {"AudioIndex", Reader::Short, "0", &Settings::audioIndex},
    {"Resolution", Reader::Short, "0", &Settings::resolutionIndex},
    {"Pixtype", Reader::Short, "0", &Settings::colorMode},
    {"DPIIndex", Reader::Short, "2", &Settings::DPIIndex},
    {"RotateIndex", Reader::Short, "0", &Settings::rotateIndex},
    {"ScanSize", Reader::Short, "0", &Settings::scanSize},
    {"Threshold", Reader::Short, "0", &Settings::threshold},
    {"AutoCrop", Reader::Short, "0", &Settings::AutoCrop},
    {"Exposure", Reader::Short, "-3", &Settings::Exposure},
    {"AutoExp", Reader::Short, "1", &Settings::AutoExp},
    {"JPGQuality", Reader::Short, "75", &Settings::JPGQuality},
    {"WorkPath", Reader::Text, "", &Settings::workPath},
    {"DelBack", Reader::Short, "0", &Settings::DelBack},
    {"RotateAngle", Reader::Short, "0", &Settings::RotateAngle},
    {"NameRule", Reader::Short, "0", &Settings::nameRule},
    {"FileNameCount", Reader::Short, "0", &Settings::fileNameCounter},
    {"FileNameNum", Reader::Short, "5", &Settings::fileNameDigits},
    {"FileNameStep", Reader::Short, "1", &Settings::fileNameStep},
    {"PrefixName", Reader::Text, "Image", &Settings::prefixName},
    {"WaterText", Reader::Text, "水印", &Settings::waterText},
    {"WaterRed", Reader::Int, "255", &Settings::waterRed},
    {"WaterGreen", Reader::Int, "0", &Settings::waterGreen},
    {"WaterBlue", Reader::Int, "0", &Settings::waterBlue},
    {"ShowWater", Reader::Int, "0", &Settings::showWater},
    {"ShowTimeWater", Reader::Int, "0", &Settings::showTimeWater},
    {"HRatio", Reader::Int, "0", &Settings::waterHRatio},
    {"VRatio", Reader::Int, "0", &Settings::waterVRatio},
    {"ShowRatio", Reader::Int, "1", &Settings::ShowRatio, false},
    {"WaterMode", Reader::Int, "0", &Settings::waterMode},
    {"WaterPos", Reader::Int, "0", &Settings::waterPos},
    {"WaterAngle", Reader::Int, "0", &Settings::waterAngle},
    {"OpenSub", Reader::Short, "0", &Settings::OpenSub},
    {"WaterFontSize", Reader::Int, "72", &Settings::waterFontSize},
    {"WaterFontFamily", Reader::Text, "宋体", &Settings::waterFontFamily},
    {"UIIndex", Reader::Int, "1", &Settings::UIIndex},
    {"rval", Reader::Int, "255", &Settings::rval},
    {"gval", Reader::Int, "0", &Settings::gval},
    {"bval", Reader::Int, "0", &Settings::bval},
    {"Opcity", Reader::Int, "255", &Settings::Opcity},
    {"LineWidth", Reader::Int, "5", &Settings::LineWidth},
    {"Language", Reader::Int, "0", &Settings::Language},
    {"ResizeImage", Reader::Int, "0", &Settings::ResizeImage},
    {"ResizeImageRatio", Reader::Ratio, "1.0", &Settings::ResizeImageRatio},
    {"MultiCapMode", Reader::Int, "0", &Settings::multiCapMode},
    {"CapCount", Reader::Int, "9999", &Settings::captureLimit},
    {"Interval", Reader::Int, "3", &Settings::captureInterval},
};

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// C atoi: leading white space, an optional sign, decimal digits.
int cAtoi(const QByteArray& text) {
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + uint32_t(text[i] - '0');
    return int(int32_t(negative ? 0u - value : value));
}

// C atof in the C locale, whatever locale the process runs in: the longest
// leading number, 0 when there is none.
double cAtof(const QByteArray& text) {
    const char* first = text.constData();
    const char* last = first + text.size();
    while (first != last && isCSpace(*first))
        ++first;
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    double value = 0.0;
    if (std::from_chars(first, last, value).ec != std::errc())
        return 0.0;
    return value;
}

float toFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > kMax)
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    return float(value);
}

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

void readKey(const ProfileFile& file, const Key& key, Settings& s) {
    const QByteArray name(key.name);
    QByteArray text;
    int number = 0;
    switch (key.reader) {
    case Reader::Short:
        number = cAtoi(file.readString(kSection, name, key.missing, kShortBuffer));
        break;
    case Reader::Int:
        number = file.readInt(kSection, name, cAtoi(key.missing));
        break;
    case Reader::Text:
    case Reader::Ratio:
        text = file.readString(kSection, name, key.missing, kTextBuffer);
        break;
    }
    std::visit(Overloaded{
                   [&](int Settings::*f) { s.*f = number; },
                   [&](bool Settings::*f) { s.*f = number != 0; },
                   [&](QByteArray Settings::*f) { s.*f = text; },
                   [&](float Settings::*f) { s.*f = toFloat(cAtof(text)); },
               },
               key.field);
}

QByteArray keyText(const Key& key, const Settings& s) {
    return std::visit(
        Overloaded{
            [&](int Settings::*f) { return QByteArray::number(s.*f); },
            [&](bool Settings::*f) { return QByteArray::number(s.*f ? 1 : 0); },
            [&](QByteArray Settings::*f) { return s.*f; },
            [&](float Settings::*f) { return QByteArray::number(double(s.*f), 'f', 4); },
        },
        key.field);
}

} // namespace

QString profilePath(const QString& documentsDir) {
    QString path = documentsDir;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QStringLiteral("Orvanta/orvconf.ini");
}

bool readSettings(const QString& path, Settings& s) {
    if (!QFileInfo::exists(path))
        return false;
    const ProfileFile file(path);
    for (const Key& key : kKeys)
        readKey(file, key, s);
    if (s.mainCameraIndex < 0)
        s.mainCameraIndex = 0;
    return true;
}

bool createIfMissing(const QString& path) {
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

bool writeSettings(const QString& path, const Settings& s) {
    QList<ProfileFile::Entry> entries;
    for (const Key& key : kKeys) {
        if (key.written)
            entries.append({QByteArray(key.name), keyText(key, s)});
    }
    return ProfileFile(path).write(kSection, entries);
}

void resetScannerParams(Settings& s) {
    s.mainCameraIndex = 0;
    s.resolutionIndex = 0;
    s.Exposure = -3;
    s.colorMode = 0;
    s.DPIIndex = 1;
    s.rotateIndex = 0;
    s.scanSize = 0;
    s.threshold = 196;
    s.AutoCrop = false;
}

} // namespace config
