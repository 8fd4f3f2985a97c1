#pragma once

// The picture controls of a V4L2 device, read from and written to its node
// (/dev/videoN): VIDIOC_QUERYCTRL and VIDIOC_QUERYMENU for the list,
// VIDIOC_G_CTRL and VIDIOC_S_CTRL for the values. The node is opened apart
// from the one the stream uses, as V4L2 allows.
//
// The standard controls take the ids of PictureControl.h, with the device's
// automatic mode where it has one: brightness, contrast, hue (auto hue),
// saturation, sharpness, gamma, white balance temperature (auto white
// balance), backlight compensation, gain (auto gain), exposure (absolute
// exposure with the exposure-auto menu: manual against the automatic mode the
// device offers) and power-line frequency. The device's other integer,
// boolean and menu controls follow with ids from kFirstDeviceControl, in the
// device's order. Disabled controls and the automatic switches used above
// are left out.
//
// The list is read once, when the set is made; values are read and written
// on the device at each call. A device that went away answers nothing.

#include "PictureControl.h"

#include <QString>

#include <memory>
#include <vector>

namespace orv {

// The ioctl() of one open device node; a test puts a pretend device here.
class V4l2Io {
public:
    virtual ~V4l2Io() = default;
    // As ioctl(2): 0 or more on success, -1 with errno set on failure.
    virtual int ioctl(unsigned long request, void* argument) = 0;
};

class V4l2Controls final : public ControlSet {
public:
    // The controls of the device at node; an empty set when it cannot be
    // opened.
    static std::unique_ptr<V4l2Controls> open(const QString& node);
    // io may be null: the set is empty.
    explicit V4l2Controls(std::unique_ptr<V4l2Io> io);
    ~V4l2Controls() override;

    QList<ControlInfo> controls() const override;
    bool value(int id, ControlValue* out) const override;
    bool setValue(int id, const ControlValue& value) override;

private:
    struct Control {
        ControlInfo info;
        quint32 cid = 0;       // the value
        quint32 autoCid = 0;   // its automatic switch; 0: none
        bool autoMenu = false; // the switch is the exposure-auto menu
        int autoOn = 1;        // switch values
        int autoOff = 0;
        std::vector<int> menuValues; // a menu's device values, by position
    };
    void readControls();
    const Control* find(int id) const;
    bool get(quint32 cid, int* value) const;
    bool set(quint32 cid, int value);

    std::unique_ptr<V4l2Io> m_io;
    std::vector<Control> m_controls;
};

} // namespace orv
