#include "config/SettingsFile.h"

#include "config/ProfileFile.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
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
    Lines, // text of at most 299 bytes (the watermark record's); line breaks and backslashes
           // escaped
};

constexpr int kShortBuffer = 10;
constexpr int kTextBuffer = 260;
// The watermark record's text field, less its NUL; escaped, a byte takes two.
constexpr int kLinesBytes = 299;
constexpr int kIntBuffer = 30; // what the integer reader looks at

using Field =
    std::variant<int Settings::*, bool Settings::*, QByteArray Settings::*, float Settings::*>;

// The values a number may take, bounds included. A value read outside them,
// or from a text that is not wholly that number, is replaced by the key's
// missing-key value. Keys with the default range take what the reader gives.
struct Range {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();

    bool limited() const { return std::isfinite(low) || std::isfinite(high); }
    bool holds(double value) const { return value >= low && value <= high; }
};

constexpr Range kAny{};
constexpr Range kColour{0, 255};
constexpr Range kPercent{0, 100};
constexpr Range kAtLeastOne{1, std::numeric_limits<int>::max()};
constexpr Range kIntervalSeconds{1, kMaxCaptureInterval};
constexpr Range kResizeRatio{kMinResizeRatio, kMaxResizeRatio};

// The columns in the order a row reads; the table is small, its padding no cost.
struct Key { // NOLINT(clang-analyzer-optin.performance.Padding)
    const char* name;
    Reader reader;
    const char* missing; // value when the file exists but the key does not
    Field field;
    Range range = kAny; // for int and float fields
    bool written = true;
};

// Every key, in the order in which it is read and written. Special values
// inside a range are kept as read: skin 0 (the start-up style sheet stays),
// language 2 (the texts the forms were built with).
const Key kKeys[] = {
    {"DevIndex", Reader::Short, "0", &Settings::mainCameraIndex},
    {"AudioIndex", Reader::Short, "0", &Settings::audioIndex},
    {"Resolution", Reader::Short, "0", &Settings::resolutionIndex},
    {"Pixtype", Reader::Short, "0", &Settings::colorMode, {0, 2}},
    {"DPIIndex", Reader::Short, "2", &Settings::DPIIndex},
    {"RotateIndex", Reader::Short, "0", &Settings::rotateIndex},
    {"ScanSize", Reader::Short, "0", &Settings::scanSize},
    {"Threshold", Reader::Short, "0", &Settings::threshold},
    {"AutoCrop", Reader::Short, "0", &Settings::AutoCrop},
    {"Exposure", Reader::Short, "-3", &Settings::Exposure},
    {"AutoExp", Reader::Short, "1", &Settings::AutoExp},
    {"JPGQuality", Reader::Short, "75", &Settings::JPGQuality, kPercent},
    {"WorkPath", Reader::Text, "", &Settings::workPath},
    {"DelBack", Reader::Short, "0", &Settings::DelBack},
    {"RotateAngle", Reader::Short, "0", &Settings::RotateAngle},
    {"NameRule", Reader::Short, "0", &Settings::nameRule, {0, 3}},
    {"FileNameCount", Reader::Short, "0", &Settings::fileNameCounter},
    {"FileNameNum", Reader::Short, "5", &Settings::fileNameDigits, {1, 20}},
    {"FileNameStep", Reader::Short, "1", &Settings::fileNameStep, {1, 100}},
    {"PrefixName", Reader::Text, "Image", &Settings::prefixName},
    {"WaterText", Reader::Lines, "水印", &Settings::waterText},
    {"WaterRed", Reader::Int, "255", &Settings::waterRed, kColour},
    {"WaterGreen", Reader::Int, "0", &Settings::waterGreen, kColour},
    {"WaterBlue", Reader::Int, "0", &Settings::waterBlue, kColour},
    {"ShowWater", Reader::Int, "0", &Settings::showWater},
    {"ShowTimeWater", Reader::Int, "0", &Settings::showTimeWater},
    {"HRatio", Reader::Int, "0", &Settings::waterHRatio, kPercent},
    {"VRatio", Reader::Int, "0", &Settings::waterVRatio, kPercent},
    {"ShowRatio", Reader::Int, "1", &Settings::ShowRatio, kAny, false},
    {"WaterMode", Reader::Int, "0", &Settings::waterMode},
    {"WaterPos", Reader::Int, "0", &Settings::waterPos, {0, 4}},
    {"WaterAngle", Reader::Int, "0", &Settings::waterAngle, {-90, 90}},
    {"OpenSub", Reader::Short, "0", &Settings::OpenSub},
    {"WaterFontSize", Reader::Int, "72", &Settings::waterFontSize},
    {"WaterFontFamily", Reader::Text, "宋体", &Settings::waterFontFamily},
    {"UIIndex", Reader::Int, "1", &Settings::UIIndex, {0, 6}},
    {"rval", Reader::Int, "255", &Settings::rval, kColour},
    {"gval", Reader::Int, "0", &Settings::gval, kColour},
    {"bval", Reader::Int, "0", &Settings::bval, kColour},
    {"Opcity", Reader::Int, "255", &Settings::Opcity, {1, 255}},
    {"LineWidth", Reader::Int, "5", &Settings::LineWidth, {1, 17}},
    {"Language", Reader::Int, "0", &Settings::Language, {0, 2}},
    {"ResizeImage", Reader::Int, "0", &Settings::ResizeImage},
    {"ResizeImageRatio", Reader::Ratio, "1.0", &Settings::ResizeImageRatio, kResizeRatio},
    {"MultiCapMode", Reader::Int, "0", &Settings::multiCapMode, {0, 1}},
    {"CapCount", Reader::Int, "9999", &Settings::captureLimit, kAtLeastOne},
    {"Interval", Reader::Int, "3", &Settings::captureInterval, kIntervalSeconds},
    {"SearchablePdf", Reader::Int, "0", &Settings::searchablePdf},
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

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 36;
}

// The number text spells out as a whole: blanks, an optional sign, decimal
// digits (or "0x" and hex digits where hex is allowed), blanks. Nothing when
// there is anything else, no digit, or more than fits 32 bits.
std::optional<qint64> wholeNumber(const QByteArray& text, bool hex) {
    qsizetype i = 0, end = text.size();
    while (i < end && isCSpace(text[i]))
        ++i;
    while (end > i && isCSpace(text[end - 1]))
        --end;
    const bool negative = i < end && text[i] == '-';
    if (i < end && (text[i] == '+' || text[i] == '-'))
        ++i;
    int base = 10;
    if (hex && end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == end)
        return std::nullopt;
    qint64 value = 0;
    for (; i < end; ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > qint64(std::numeric_limits<quint32>::max()))
            return std::nullopt;
    }
    return negative ? -value : value;
}

// A profile value holds one line: a text of several lines is kept with its
// line breaks as "\n" (and "\r"), and a backslash as "\\". Any other
// backslash reads as itself, as values written before the escapes do.
QByteArray escapeLines(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// At most maxBytes of text, never the first bytes of a character alone.
QByteArray wholeCharacters(const QByteArray& text, qsizetype maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    qsizetype cut = maxBytes;
    while (cut > 0 && (uchar(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.left(cut);
}

QByteArray unescapeLines(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 'n' || next == 'r' || next == '\\')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void readKey(const ProfileFile& file, const Key& key, Settings& s) {
    const QByteArray name(key.name);
    QByteArray text;
    int number = 0;
    // Whether number is what its text says and not what a lenient parse made
    // of it: "1e9" reads as 1, "4294967297" as 1 after wrapping.
    bool exact = true;
    switch (key.reader) {
    case Reader::Short:
        text = file.readString(kSection, name, key.missing, kShortBuffer);
        number = cAtoi(text);
        exact = wholeNumber(text, false) == number;
        break;
    case Reader::Int:
        number = file.readInt(kSection, name, cAtoi(key.missing));
        exact =
            wholeNumber(file.readString(kSection, name, key.missing, kIntBuffer), true) == number;
        break;
    case Reader::Text:
    case Reader::Ratio:
        text = file.readString(kSection, name, key.missing, kTextBuffer);
        break;
    case Reader::Lines:
        text = wholeCharacters(
            unescapeLines(file.readString(kSection, name, key.missing, 2 * kLinesBytes + 1)),
            kLinesBytes);
        break;
    }
    std::visit(Overloaded{
                   [&](int Settings::*f) {
                       const bool keep = !key.range.limited() || (exact && key.range.holds(number));
                       s.*f = keep ? number : cAtoi(key.missing);
                   },
                   [&](bool Settings::*f) { s.*f = number != 0; },
                   [&](QByteArray Settings::*f) { s.*f = text; },
                   [&](float Settings::*f) {
                       const float ratio = toFloat(cAtof(text));
                       s.*f = key.range.holds(double(ratio)) ? ratio : toFloat(cAtof(key.missing));
                   },
               },
               key.field);
}

QByteArray keyText(const Key& key, const Settings& s) {
    return std::visit(
        Overloaded{
            [&](int Settings::*f) { return QByteArray::number(s.*f); },
            [&](bool Settings::*f) { return QByteArray::number(s.*f ? 1 : 0); },
            [&](QByteArray Settings::*f) {
                return key.reader == Reader::Lines ? escapeLines(s.*f) : s.*f;
            },
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
