#pragma once

// Settings of one camera that its captures use: kept per camera, open or
// closed, and checked on the way in. Plain data; GUI thread.

#include <cmath>

namespace orv {

struct CameraSettings {
    static constexpr int kDefaultDpi = 200;
    static constexpr int kMaxDpi = 9600;
    static constexpr int kDefaultJpgQuality = 75;
    static constexpr float kMaxResizeRatio = 10.0f;
    enum ColourMode { kColour = 0, kGray = 1, kBlackWhite = 2 };

    int dpi = kDefaultDpi;
    int jpgQuality = kDefaultJpgQuality; // 1..100
    int colourMode = kColour;
    bool removeBackground = false;
    bool autoRotate = false; // find the page, crop and straighten it
    bool resize = false;
    float resizeRatio = 1.0f;

    // Each setter returns false, changing nothing, for a value out of range.
    bool setDpi(int value) {
        if (value < 1 || value > kMaxDpi)
            return false;
        dpi = value;
        return true;
    }
    // 0 stands for the default quality.
    bool setJpgQuality(int value) {
        if (value < 0 || value > 100)
            return false;
        jpgQuality = value == 0 ? kDefaultJpgQuality : value;
        return true;
    }
    bool setColourMode(int value) {
        if (value < kColour || value > kBlackWhite)
            return false;
        colourMode = value;
        return true;
    }
    // Enabling needs a ratio in (0, kMaxResizeRatio]; disabling always works
    // and keeps a valid ratio for later.
    bool setResize(bool enable, float ratio) {
        const bool valid = std::isfinite(ratio) && ratio > 0 && ratio <= kMaxResizeRatio;
        if (enable && !valid)
            return false;
        resize = enable;
        if (valid)
            resizeRatio = ratio;
        return true;
    }
};

} // namespace orv
