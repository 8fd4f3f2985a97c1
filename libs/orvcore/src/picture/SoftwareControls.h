#pragma once

// The standard picture controls for a source that has none of its own (the
// virtual cameras): kept here and applied in software to every frame the
// camera receives, on the source's thread. While every control is neutral
// the frames pass untouched; otherwise the result for the newest frame is
// kept, so a source that repeats a frame pays once.

#include "PictureAdjust.h"
#include "PictureControl.h"

#include <QImage>
#include <QMutex>

#include <map>

namespace orv {

class SoftwareControls final : public ControlSet {
public:
    SoftwareControls();

    // The emulated set: the nine numbered properties, exposure (auto on by
    // default) and the power-line frequency (a menu, no effect on a picture).
    static const QList<ControlInfo>& standardControls();

    QList<ControlInfo> controls() const override { return standardControls(); }
    bool value(int id, ControlValue* out) const override;
    bool setValue(int id, const ControlValue& value) override;

    // The arithmetic the current values stand for.
    PictureAdjustment adjustment() const;
    static PictureAdjustment adjustmentFor(const std::map<int, ControlValue>& values);

    // Any thread (the source's): frame with the controls applied.
    QImage apply(const QImage& frame);

private:
    mutable QMutex m_mutex;
    std::map<int, ControlValue> m_values;
    quint64 m_generation = 0; // counts changes

    // The last result, for a frame delivered again (apply() callers only).
    QMutex m_cacheMutex;
    qint64 m_doneKey = 0;
    quint64 m_doneGeneration = 0;
    QImage m_done;
};

} // namespace orv
