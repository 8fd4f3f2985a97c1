#pragma once

// A pretend V4L2 device node for the control tests: controls with their
// query data, values and menus, answering ioctl() as a UVC driver does.

#include "V4l2Controls.h"

#include <QList>
#include <QPair>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include <linux/videodev2.h>

struct FakeControl {
    v4l2_queryctrl query;
    int value;
    std::map<int, const char*> menu; // index -> name; missing indexes are gaps
};

class FakeV4l2 final : public orv::V4l2Io {
public:
    std::map<quint32, FakeControl> controls;
    QList<QPair<quint32, int>> writes;
    bool gone = false;

    void add(quint32 cid, quint32 type, const char* name, int minimum, int maximum, int value,
             std::map<int, const char*> menu = {}, quint32 flags = 0) {
        v4l2_queryctrl q{};
        q.id = cid;
        q.type = type;
        std::strncpy(reinterpret_cast<char*>(q.name), name, sizeof q.name - 1);
        q.minimum = minimum;
        q.maximum = maximum;
        q.step = 1;
        q.default_value = value;
        q.flags = flags;
        controls[cid] = FakeControl{q, value, std::move(menu)};
    }

    int ioctl(unsigned long request, void* argument) override {
        if (gone)
            return fail(ENODEV);
        if (request == VIDIOC_QUERYCTRL) {
            auto* q = static_cast<v4l2_queryctrl*>(argument);
            auto it = controls.end();
            if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL)
                it = controls.upper_bound(q->id & ~V4L2_CTRL_FLAG_NEXT_CTRL);
            else
                it = controls.find(q->id);
            if (it == controls.end())
                return fail(EINVAL);
            *q = it->second.query;
            return 0;
        }
        if (request == VIDIOC_QUERYMENU) {
            auto* m = static_cast<v4l2_querymenu*>(argument);
            const auto it = controls.find(m->id);
            if (it == controls.end() || !it->second.menu.count(int(m->index)))
                return fail(EINVAL);
            std::strncpy(reinterpret_cast<char*>(m->name), it->second.menu.at(int(m->index)),
                         sizeof m->name - 1);
            return 0;
        }
        auto* c = static_cast<v4l2_control*>(argument);
        const auto it = controls.find(c->id);
        if (it == controls.end())
            return fail(EINVAL);
        if (request == VIDIOC_G_CTRL) {
            c->value = it->second.value;
            return 0;
        }
        if (request != VIDIOC_S_CTRL)
            return fail(ENOTTY);
        const v4l2_queryctrl& q = it->second.query;
        if (c->value < q.minimum || c->value > q.maximum)
            return fail(ERANGE);
        // As UVC cameras do: no manual exposure while it is automatic.
        if (c->id == V4L2_CID_EXPOSURE_ABSOLUTE &&
            controls.at(V4L2_CID_EXPOSURE_AUTO).value != V4L2_EXPOSURE_MANUAL)
            return fail(EACCES);
        it->second.value = c->value;
        writes << qMakePair(quint32(c->id), int(c->value));
        return 0;
    }

private:
    static int fail(int error) {
        errno = error;
        return -1;
    }
};

// A document camera's controls, as its UVC driver lists them.
inline std::unique_ptr<FakeV4l2> documentCameraNode() {
    auto node = std::make_unique<FakeV4l2>();
    node->add(V4L2_CID_USER_CLASS, V4L2_CTRL_TYPE_CTRL_CLASS, "User Controls", 0, 0, 0);
    node->add(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", -64, 64, 0);
    node->add(V4L2_CID_CONTRAST, V4L2_CTRL_TYPE_INTEGER, "Contrast", 0, 95, 32);
    node->add(V4L2_CID_SATURATION, V4L2_CTRL_TYPE_INTEGER, "Saturation", 0, 100, 55);
    node->add(V4L2_CID_HUE, V4L2_CTRL_TYPE_INTEGER, "Hue", -2000, 2000, 0);
    node->add(V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, "White Balance, Auto", 0, 1, 1);
    node->add(V4L2_CID_GAMMA, V4L2_CTRL_TYPE_INTEGER, "Gamma", 100, 300, 100);
    node->add(V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER, "Gain", 0, 128, 0);
    node->add(V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU, "Power Line Frequency", 0, 2, 1,
              {{0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}});
    node->add(V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CTRL_TYPE_INTEGER,
              "White Balance Temperature", 2800, 6500, 4600, {}, V4L2_CTRL_FLAG_INACTIVE);
    node->add(V4L2_CID_SHARPNESS, V4L2_CTRL_TYPE_INTEGER, "Sharpness", 0, 7, 2);
    node->add(V4L2_CID_BACKLIGHT_COMPENSATION, V4L2_CTRL_TYPE_INTEGER, "Backlight Compensation", 0,
              2, 1);
    node->add(V4L2_CID_COLORFX, V4L2_CTRL_TYPE_MENU, "Colour Effects", 0, 3, 0,
              {{0, "None"}, {1, "Black & White"}, {3, "Emboss"}});
    node->add(V4L2_CID_CAMERA_CLASS, V4L2_CTRL_TYPE_CTRL_CLASS, "Camera Controls", 0, 0, 0);
    node->add(V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, "Auto Exposure", 0, 3, 3,
              {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}});
    node->add(V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Exposure Time, Absolute", 3,
              2047, 250, {}, V4L2_CTRL_FLAG_INACTIVE);
    node->add(V4L2_CID_PAN_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Pan, Absolute", -36000, 36000, 0, {},
              V4L2_CTRL_FLAG_DISABLED);
    node->add(V4L2_CID_FOCUS_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Focus, Absolute", 0, 250, 0);
    node->add(V4L2_CID_FOCUS_AUTO, V4L2_CTRL_TYPE_BOOLEAN, "Focus, Automatic Continuous", 0, 1, 1);
    node->add(V4L2_CID_ZOOM_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Zoom, Absolute", 100, 500, 100);
    node->add(V4L2_CID_PRIVACY, V4L2_CTRL_TYPE_BUTTON, "Privacy", 0, 0, 0);
    return node;
}
