#include "V4l2Controls.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orv {

namespace {

class NodeIo final : public V4l2Io {
public:
    explicit NodeIo(int fd) : m_fd(fd) {}
    ~NodeIo() override { ::close(m_fd); }
    NodeIo(const NodeIo&) = delete;
    NodeIo& operator=(const NodeIo&) = delete;

    int ioctl(unsigned long request, void* argument) override {
        int result;
        do
            result = ::ioctl(m_fd, request, argument);
        while (result == -1 && errno == EINTR);
        return result;
    }

private:
    const int m_fd;
};

struct Standard {
    int id;
    quint32 cid;
    quint32 autoCid;
    const char* name;
};

// The names are those of the software set, so both read alike.
const Standard kStandard[] = {
    {kBrightness, V4L2_CID_BRIGHTNESS, 0, "Brightness"},
    {kContrast, V4L2_CID_CONTRAST, 0, "Contrast"},
    {kHue, V4L2_CID_HUE, V4L2_CID_HUE_AUTO, "Hue"},
    {kSaturation, V4L2_CID_SATURATION, 0, "Saturation"},
    {kSharpness, V4L2_CID_SHARPNESS, 0, "Sharpness"},
    {kGamma, V4L2_CID_GAMMA, 0, "Gamma"},
    {kWhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE,
     "White balance temperature"},
    {kBacklightCompensation, V4L2_CID_BACKLIGHT_COMPENSATION, 0, "Backlight compensation"},
    {kGain, V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, "Gain"},
    {kExposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO, "Exposure"},
    {kPowerLineFrequency, V4L2_CID_POWER_LINE_FREQUENCY, 0, "Power line frequency"},
};

// Automatic switches of controls outside the standard set.
const std::pair<quint32, quint32> kOtherSwitches[] = {
    {V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO},
};

constexpr int kMaxControls = 512; // a driver that never ends its list

QString nameOf(const v4l2_queryctrl& q) {
    const auto* text = reinterpret_cast<const char*>(q.name);
    return QString::fromUtf8(text, qsizetype(strnlen(text, sizeof q.name)));
}

bool usable(const v4l2_queryctrl& q) {
    if (q.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY))
        return false;
    switch (q.type) {
    case V4L2_CTRL_TYPE_INTEGER:
    case V4L2_CTRL_TYPE_BOOLEAN:
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU:
        return true;
    default:
        return false;
    }
}

} // namespace

std::unique_ptr<V4l2Controls> V4l2Controls::open(const QString& node) {
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::make_unique<V4l2Controls>(nullptr);
    return std::make_unique<V4l2Controls>(std::make_unique<NodeIo>(fd));
}

V4l2Controls::V4l2Controls(std::unique_ptr<V4l2Io> io) : m_io(std::move(io)) {
    if (m_io)
        readControls();
}

V4l2Controls::~V4l2Controls() = default;

void V4l2Controls::readControls() {
    // Every control, in the device's order.
    std::vector<v4l2_queryctrl> found;
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (int(found.size()) < kMaxControls && m_io->ioctl(VIDIOC_QUERYCTRL, &q) == 0) {
        const quint32 id = q.id;
        if (q.type != V4L2_CTRL_TYPE_CTRL_CLASS)
            found.push_back(q);
        q = v4l2_queryctrl{};
        q.id = id | V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    if (found.empty()) { // a driver without enumeration: ask for each control
        std::set<quint32> cids;
        for (const Standard& s : kStandard)
            cids.insert({s.cid, s.autoCid});
        for (const auto& [cid, switchCid] : kOtherSwitches)
            cids.insert({cid, switchCid});
        cids.erase(0);
        for (quint32 cid : cids) {
            q = v4l2_queryctrl{};
            q.id = cid;
            if (m_io->ioctl(VIDIOC_QUERYCTRL, &q) == 0)
                found.push_back(q);
        }
    }
    std::map<quint32, const v4l2_queryctrl*> byCid;
    for (const v4l2_queryctrl& c : found)
        if (usable(c))
            byCid[c.id] = &c;

    // A control as ControlInfo with id; menus list the items the device has.
    const auto describe = [this](const v4l2_queryctrl& c, int id, const QString& name) {
        Control control;
        control.cid = c.id;
        ControlInfo& info = control.info;
        info.id = id;
        info.name = name.isEmpty() ? nameOf(c) : name;
        info.minimum = c.minimum;
        info.maximum = c.maximum;
        info.step = qMax(1, c.step);
        info.defaultValue = c.default_value;
        if (c.type == V4L2_CTRL_TYPE_BOOLEAN) {
            info.type = ControlInfo::Type::Boolean;
            info.minimum = 0;
            info.maximum = 1;
        } else if (c.type == V4L2_CTRL_TYPE_MENU || c.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
            info.type = ControlInfo::Type::Menu;
            for (int index = c.minimum; index <= c.maximum && index >= 0; ++index) {
                v4l2_querymenu item{};
                item.id = c.id;
                item.index = quint32(index);
                if (m_io->ioctl(VIDIOC_QUERYMENU, &item) != 0)
                    continue; // a gap in the menu
                const auto* text = reinterpret_cast<const char*>(item.name);
                info.menuItems << (c.type == V4L2_CTRL_TYPE_MENU
                                       ? QString::fromUtf8(text, qsizetype(strnlen(text, 32)))
                                       : QString::number(item.value));
                if (index == c.default_value)
                    info.defaultValue = int(control.menuValues.size());
                control.menuValues.push_back(index);
            }
            info.minimum = 0;
            info.maximum = int(control.menuValues.size()) - 1;
        }
        return control;
    };
    // Pairs control with its automatic switch, when the device has one.
    std::set<quint32> used;
    const auto attachSwitch = [&](Control& control, quint32 switchCid) {
        const auto it = byCid.find(switchCid);
        if (it == byCid.end())
            return;
        const v4l2_queryctrl& s = *it->second;
        if (s.type == V4L2_CTRL_TYPE_MENU) { // exposure: manual against an automatic mode
            const Control menu = describe(s, 0, {});
            const auto offers = [&](int mode) {
                return std::find(menu.menuValues.begin(), menu.menuValues.end(), mode) !=
                       menu.menuValues.end();
            };
            if (!offers(V4L2_EXPOSURE_MANUAL))
                return;
            int on = -1;
            for (int mode : {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY,
                             V4L2_EXPOSURE_SHUTTER_PRIORITY})
                if (on < 0 && offers(mode))
                    on = mode;
            if (on < 0)
                return;
            control.autoMenu = true;
            control.autoOn = on;
            control.autoOff = V4L2_EXPOSURE_MANUAL;
            control.info.defaultAuto = s.default_value != V4L2_EXPOSURE_MANUAL;
        } else {
            control.info.defaultAuto = s.default_value != 0;
        }
        control.autoCid = switchCid;
        control.info.hasAuto = true;
        used.insert(switchCid);
    };

    for (const Standard& s : kStandard) {
        const auto it = byCid.find(s.cid);
        if (it == byCid.end())
            continue;
        Control control = describe(*it->second, s.id, QString::fromLatin1(s.name));
        if (s.autoCid)
            attachSwitch(control, s.autoCid);
        used.insert(s.cid);
        m_controls.push_back(control);
    }
    std::vector<Control> others;
    for (const v4l2_queryctrl& c : found) {
        if (!usable(c) || used.count(c.id))
            continue;
        Control control = describe(c, kFirstDeviceControl + int(others.size()), QString());
        for (const auto& [cid, switchCid] : kOtherSwitches)
            if (cid == c.id)
                attachSwitch(control, switchCid);
        others.push_back(control);
    }
    // A switch taken by a later control is no control of its own.
    for (const Control& control : others)
        if (!used.count(control.cid))
            m_controls.push_back(control);
    int next = kFirstDeviceControl;
    for (Control& control : m_controls)
        if (control.info.id >= kFirstDeviceControl)
            control.info.id = next++;
}

QList<ControlInfo> V4l2Controls::controls() const {
    QList<ControlInfo> list;
    for (const Control& control : m_controls)
        list << control.info;
    return list;
}

const V4l2Controls::Control* V4l2Controls::find(int id) const {
    for (const Control& control : m_controls)
        if (control.info.id == id)
            return &control;
    return nullptr;
}

bool V4l2Controls::get(quint32 cid, int* value) const {
    v4l2_control c{};
    c.id = cid;
    if (m_io->ioctl(VIDIOC_G_CTRL, &c) != 0)
        return false;
    *value = c.value;
    return true;
}

bool V4l2Controls::set(quint32 cid, int value) {
    v4l2_control c{};
    c.id = cid;
    c.value = value;
    return m_io->ioctl(VIDIOC_S_CTRL, &c) == 0;
}

bool V4l2Controls::value(int id, ControlValue* out) const {
    const Control* control = find(id);
    int raw = 0;
    if (!control || !out || !get(control->cid, &raw))
        return false;
    ControlValue result;
    result.value = raw;
    if (!control->menuValues.empty()) {
        const auto it = std::find(control->menuValues.begin(), control->menuValues.end(), raw);
        result.value = it == control->menuValues.end() ? control->info.defaultValue
                                                       : int(it - control->menuValues.begin());
    }
    int mode = 0;
    if (control->autoCid && get(control->autoCid, &mode))
        result.isAuto = mode != control->autoOff;
    *out = result;
    return true;
}

bool V4l2Controls::setValue(int id, const ControlValue& value) {
    const Control* control = find(id);
    if (!control || (value.isAuto && !control->info.hasAuto))
        return false;
    const bool inRange =
        value.value >= control->info.minimum && value.value <= control->info.maximum;
    if (!value.isAuto && !inRange)
        return false;
    const int raw =
        control->menuValues.empty() ? value.value : control->menuValues[std::size_t(value.value)];
    if (value.isAuto) {
        if (inRange)
            set(control->cid, raw); // kept for manual mode; refused by some devices while automatic
        return set(control->autoCid, control->autoOn);
    }
    if (control->autoCid && !set(control->autoCid, control->autoOff))
        return false;
    return set(control->cid, raw);
}

} // namespace orv
