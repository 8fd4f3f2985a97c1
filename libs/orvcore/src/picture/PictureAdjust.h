#pragma once

// The standard picture controls as arithmetic on frames: what a camera
// without controls of its own shows when the user moves a slider. Pure
// functions for worker threads; the cost is paid only for controls away
// from neutral (a per-channel table, a colour matrix for hue and saturation,
// an unsharp mask for sharpness).

#include <QImage>

namespace orv {

struct PictureAdjustment {
    double exposure = 1; // linear factor
    double gain = 1;     // linear factor
    double red = 1;      // white balance gains per channel
    double green = 1;
    double blue = 1;
    bool backlight = false; // lifts the shadows
    double gamma = 1;       // output = input ^ (1 / gamma)
    double contrast = 1;    // factor about mid gray; 0 leaves flat gray
    double brightness = 0;  // added, in parts of full scale
    double hue = 0;         // rotation in degrees
    double saturation = 1;  // 0 gray, 1 unchanged
    double sharpen = 0;     // unsharp amount; below 0 softens (-1 fully blurred)

    bool tableIsIdentity() const;
    bool matrixIsIdentity() const;
    bool isIdentity() const { return tableIsIdentity() && matrixIsIdentity() && sharpen == 0; }
};

// frame with the adjustment applied (Format_RGB32 or the frame's own 32-bit
// format); frame itself, shared, when the adjustment is neutral.
QImage applyAdjustment(const QImage& frame, const PictureAdjustment& adjustment);

// The blur radius the sharpness control uses for a frame of size: about one
// pixel of a picture scaled to fit a common window.
int sharpnessRadius(QSize size);

} // namespace orv
