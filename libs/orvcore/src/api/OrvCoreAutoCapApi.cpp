// The C functions of the camera library for automatic capture and the
// watermark, and the test hook that turns a virtual camera's page.

#include "ApiSupport.h"
#include "VirtualSource.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <cstring>
#include <memory>

using orv::Camera;
using orv::api::cameraAt;
using orv::capture::WatermarkSpec;

namespace {

QString textField(const char* field, size_t size) {
    return QString::fromLocal8Bit(field, qsizetype(strnlen(field, size)));
}

} // namespace

extern "C" {

int OrvSetAutoCap(int cameraIndex, bool enable) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->setAutoCapture(enable, cameraIndex);
    return 0;
}

int OrvSetAutoCapCB(int cameraIndex, OrvAutoCapCallback callback) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->setAutoCapCallback(callback);
    return 0;
}

// Any mode other than 5 (text with the date and time) stamps the text alone.
int OrvAddWaterMark(int cameraIndex, int mode, const _WATERMARKPARAM* param) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam || !param)
        return -1;
    auto stamp = std::make_shared<WatermarkSpec>();
    stamp->text = textField(param->text, sizeof param->text);
    stamp->fontFamily = textField(param->fontName, sizeof param->fontName);
    stamp->fontSize = param->fontSize > 0 ? param->fontSize : 72;
    stamp->colour = QColor(param->red, param->green, param->blue, param->opacity);
    stamp->angle = qBound(-90, int(param->angle), 90);
    stamp->withTime = mode == 5;
    stamp->fixedPlace = param->fixedPosition != 0;
    stamp->place = qBound(0, int(param->position), 4);
    const QSize frame = cam->frameSize();
    if (!frame.isEmpty())
        stamp->offset = QPointF(qBound(0.0, double(param->x) / frame.width(), 1.0),
                                qBound(0.0, double(param->y) / frame.height(), 1.0));
    cam->setWatermark(std::move(stamp));
    return 0;
}

int OrvClearWatermark(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->setWatermark(nullptr);
    return 0;
}

int OrvTestTurnPage(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    auto* source = cam ? dynamic_cast<orv::VirtualSource*>(&cam->source()) : nullptr;
    return source && source->turnPage() ? 0 : -1;
}

} // extern "C"
