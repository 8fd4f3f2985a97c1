#pragma once

// Picture controls of a camera (brightness, exposure, ...): what a control
// is, its value, and the set a camera offers. A device source exposes its
// own controls (V4L2); a source without any gets the standard set emulated
// in software on its frames (SoftwareControls).

#include <QList>
#include <QString>
#include <QStringList>

namespace orv {

// Control ids. The first nine are the property numbers of the library's
// interface (OrvGetVideoProp); the others have no number there. A device
// source maps its own controls onto these ids where they match and gives the
// rest ids from kFirstDeviceControl on.
enum ControlId {
    kBrightness = 0,
    kContrast = 1,
    kHue = 2,
    kSaturation = 3,
    kSharpness = 4,
    kGamma = 5,
    kWhiteBalance = 6,
    kBacklightCompensation = 7,
    kGain = 8,
    kExposure = 100,
    kPowerLineFrequency = 101,
    kFirstDeviceControl = 1000,
};
constexpr int kPropertyCount = 9; // ids 0..8 are property numbers

struct ControlInfo {
    enum class Type { Integer, Boolean, Menu };

    int id = 0;
    QString name;
    Type type = Type::Integer;
    int minimum = 0; // Boolean: 0..1; Menu: 0..menu items - 1
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    bool hasAuto = false; // the device can choose the value itself
    bool defaultAuto = false;
    QStringList menuItems;
};

struct ControlValue {
    bool isAuto = false;
    int value = 0;
    bool operator==(const ControlValue& o) const { return isAuto == o.isAuto && value == o.value; }
    bool operator!=(const ControlValue& o) const { return !(*this == o); }
};

// The controls of one camera. Calls come from the GUI thread; an
// implementation that applies values on another thread guards them itself.
class ControlSet {
public:
    virtual ~ControlSet() = default;
    virtual QList<ControlInfo> controls() const = 0;
    // False for an id the set does not have.
    virtual bool value(int id, ControlValue* out) const = 0;
    // False, changing nothing, for an unknown id, automatic mode on a
    // control without one, or a manual value outside [minimum, maximum].
    // Switching to automatic mode keeps the manual value unless value.value
    // is in range, so a caller need not know one.
    virtual bool setValue(int id, const ControlValue& value) = 0;

    // The control with id; nullptr when there is none.
    static const ControlInfo* find(const QList<ControlInfo>& list, int id) {
        for (const ControlInfo& info : list)
            if (info.id == id)
                return &info;
        return nullptr;
    }
};

} // namespace orv
