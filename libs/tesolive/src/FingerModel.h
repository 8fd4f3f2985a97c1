#pragma once

#include <QByteArray>
#include <QVector>

#include <random>

// The simulated reader's fingers. A finger is a fixed set of minutiae (ridge
// endings and forks: position on the sensor and ridge direction) derived from
// its name. A read sees the finger placed a little differently each time:
// shifted, with every minutia slightly displaced, some not captured and a few
// spurious ones added. A template is a careful read for enrolment, a feature
// a quick read for identification; both are written as short texts.
namespace tesolive {

struct Minutia {
    int x = 0;     // 0..255 across the sensor
    int y = 0;     // 0..255 along the sensor
    int angle = 0; // ridge direction, 0..255 for a full turn
};

enum class ReadKind { Template, Feature };

// The minutiae of the finger called name.
QVector<Minutia> fingerMinutiae(const QByteArray& name);

// One read of a finger.
QVector<Minutia> readFinger(const QVector<Minutia>& finger, ReadKind kind, std::mt19937& random);

// The text of a read, at most 512 bytes; and back. parseRead gives false for
// any text that is not a read of the given kind.
QByteArray encodeRead(const QVector<Minutia>& read, ReadKind kind);
bool parseRead(const char* text, ReadKind kind, QVector<Minutia>& read);

// How well a feature agrees with a template: 0..100, the share of minutiae
// found in both once the feature is aligned to the template.
int matchScore(const QVector<Minutia>& templet, const QVector<Minutia>& feature);

// The least score that counts as a match at a strictness level (1..5; other
// values are taken as the nearest).
int matchThreshold(int level);

} // namespace tesolive
