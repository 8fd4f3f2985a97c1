#include "FingerModel.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstring>

namespace tesolive {

namespace {

constexpr int kFingerMinutiae = 40;
constexpr int kMaxMinutiae = 80; // what a text may carry (6 hex digits each)
constexpr int kMaxShift = 8;     // how far a finger lands from its usual place
constexpr int kPositionTolerance = 5;
constexpr int kAngleTolerance = 10;
constexpr int kMinMatched = 10;

const char* prefix(ReadKind kind) {
    return kind == ReadKind::Template ? "TLT1:" : "TLF1:";
}

quint16 checksum(const QByteArray& bytes) {
    quint32 a = 1, b = 0;
    for (char c : bytes) {
        a = (a + uchar(c)) % 251;
        b = (b + a) % 251;
    }
    return quint16(b << 8 | a);
}

int angleDistance(int a, int b) {
    const int d = std::abs(a - b) % 256;
    return std::min(d, 256 - d);
}

} // namespace

QVector<Minutia> fingerMinutiae(const QByteArray& name) {
    QVector<Minutia> finger;
    QByteArray pool;
    for (int round = 0; pool.size() < kFingerMinutiae * 3; ++round)
        pool += QCryptographicHash::hash(name + '#' + QByteArray::number(round),
                                         QCryptographicHash::Sha256);
    for (int i = 0; i < kFingerMinutiae; ++i) {
        // Keep the finger's minutiae off the sensor's edges, so that a
        // shifted placement still sees most of them.
        finger.append({16 + uchar(pool[3 * i]) * 224 / 256, 16 + uchar(pool[3 * i + 1]) * 224 / 256,
                       uchar(pool[3 * i + 2])});
    }
    return finger;
}

QVector<Minutia> readFinger(const QVector<Minutia>& finger, ReadKind kind, std::mt19937& random) {
    const bool careful = kind == ReadKind::Template;
    std::uniform_int_distribution<int> shift(-kMaxShift, kMaxShift);
    std::uniform_int_distribution<int> jitter(-2, 2);
    std::uniform_int_distribution<int> turn(-4, 4);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    const double seen = careful ? 0.92 : 0.78;
    const int dx = shift(random);
    const int dy = shift(random);

    QVector<Minutia> read;
    for (const Minutia& m : finger) {
        if (chance(random) > seen)
            continue;
        const Minutia r{m.x + dx + jitter(random), m.y + dy + jitter(random),
                        (m.angle + turn(random) + 256) % 256};
        if (r.x >= 0 && r.x < 256 && r.y >= 0 && r.y < 256)
            read.append(r);
    }
    std::uniform_int_distribution<int> spurious(careful ? 0 : 1, careful ? 1 : 3);
    std::uniform_int_distribution<int> anywhere(0, 255);
    for (int n = spurious(random); n > 0; --n)
        read.append({anywhere(random), anywhere(random), anywhere(random)});
    std::shuffle(read.begin(), read.end(), random);
    return read;
}

QByteArray encodeRead(const QVector<Minutia>& read, ReadKind kind) {
    QByteArray body;
    const int n = std::min(int(read.size()), kMaxMinutiae);
    for (int i = 0; i < n; ++i) {
        const char bytes[3] = {char(read[i].x), char(read[i].y), char(read[i].angle)};
        body += QByteArray(bytes, 3).toHex();
    }
    const QByteArray text = QByteArray(prefix(kind)) + QByteArray::number(n) + ':' + body;
    return text + ':' + QByteArray::number(checksum(text), 16).rightJustified(4, '0');
}

bool parseRead(const char* text, ReadKind kind, QVector<Minutia>& read) {
    read.clear();
    if (!text)
        return false;
    // Never look past 512 bytes, whatever the caller hands over.
    const QByteArray whole(text, int(strnlen(text, 513)));
    if (whole.size() > 512 || !whole.startsWith(prefix(kind)))
        return false;
    const QList<QByteArray> parts = whole.split(':');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int n = parts[1].toInt(&ok);
    if (!ok || n < 0 || n > kMaxMinutiae || parts[2].size() != n * 6 || parts[3].size() != 4)
        return false;
    const QByteArray signedPart = whole.left(whole.lastIndexOf(':'));
    if (parts[3].toUShort(&ok, 16) != checksum(signedPart) || !ok)
        return false;
    const QByteArray bytes = QByteArray::fromHex(parts[2]);
    if (bytes.size() != n * 3)
        return false;
    for (int i = 0; i < n; ++i)
        read.append({uchar(bytes[3 * i]), uchar(bytes[3 * i + 1]), uchar(bytes[3 * i + 2])});
    return true;
}

int matchScore(const QVector<Minutia>& templet, const QVector<Minutia>& feature) {
    if (templet.isEmpty() || feature.isEmpty())
        return 0;
    // Vote for the shift that brings feature minutiae onto template ones of
    // a like direction, then count one-to-one pairs under that shift.
    constexpr int span = 2 * (2 * kMaxShift + 4) + 1;
    QVector<int> votes(span * span, 0);
    const int half = span / 2;
    for (const Minutia& t : templet) {
        for (const Minutia& f : feature) {
            if (angleDistance(t.angle, f.angle) > kAngleTolerance)
                continue;
            const int dx = f.x - t.x, dy = f.y - t.y;
            if (std::abs(dx) <= half && std::abs(dy) <= half)
                ++votes[(dy + half) * span + dx + half];
        }
    }
    int best = 0, bestDx = 0, bestDy = 0;
    for (int dy = -half + 1; dy < half; ++dy) {
        for (int dx = -half + 1; dx < half; ++dx) {
            int sum = 0; // the neighbourhood: reads are jittered
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i)
                    sum += votes[(dy + j + half) * span + dx + i + half];
            if (sum > best) {
                best = sum;
                bestDx = dx;
                bestDy = dy;
            }
        }
    }
    QVector<bool> used(feature.size(), false);
    int matched = 0;
    for (const Minutia& t : templet) {
        for (int j = 0; j < feature.size(); ++j) {
            const Minutia& f = feature[j];
            if (!used[j] && std::abs(f.x - bestDx - t.x) <= kPositionTolerance &&
                std::abs(f.y - bestDy - t.y) <= kPositionTolerance &&
                angleDistance(t.angle, f.angle) <= kAngleTolerance) {
                used[j] = true;
                ++matched;
                break;
            }
        }
    }
    if (matched < kMinMatched)
        return 0;
    return 100 * matched / int(std::min(templet.size(), feature.size()));
}

int matchThreshold(int level) {
    return 10 + 10 * std::clamp(level, 1, 5);
}

} // namespace tesolive
