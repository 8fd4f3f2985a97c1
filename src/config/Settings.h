#pragma once

#include <QByteArray>

#include <limits>

// Every setting that survives a restart. MainForm holds one of these; the
// profile file (orvconf.ini) is read into it once at start and written from it
// once at exit. Text values are 8-bit strings in the local encoding.
//
// Field initialisers are the values a setting has when no profile file exists.
struct Settings {
    int mainCameraIndex = 0;             // DevIndex
    int audioIndex = 0;                  // AudioIndex
    int resolutionIndex = 0;             // Resolution
    int colorMode = 0;                   // Pixtype
    int DPIIndex = 1;                    // DPIIndex
    int rotateIndex = 0;                 // RotateIndex (stored and written back only)
    int scanSize = 0;                    // ScanSize (stored and written back only)
    int threshold = 196;                 // Threshold (stored and written back only)
    bool AutoCrop = false;               // AutoCrop
    int Exposure = -3;                   // Exposure
    bool AutoExp = true;                 // AutoExp
    int JPGQuality = 75;                 // JPGQuality
    QByteArray workPath;                 // WorkPath
    bool DelBack = false;                // DelBack
    int RotateAngle = 0;                 // RotateAngle
    int nameRule = 0;                    // NameRule
    int fileNameCounter = 0;             // FileNameCount
    int fileNameDigits = 5;              // FileNameNum
    int fileNameStep = 1;                // FileNameStep
    QByteArray prefixName = "Image";     // PrefixName
    QByteArray waterText;                // WaterText
    int waterRed = 255;                  // WaterRed
    int waterGreen = 0;                  // WaterGreen
    int waterBlue = 0;                   // WaterBlue
    bool showWater = false;              // ShowWater
    bool showTimeWater = false;          // ShowTimeWater
    int waterHRatio = 0;                 // HRatio
    int waterVRatio = 0;                 // VRatio
    bool ShowRatio = true;               // ShowRatio (read, never written)
    int waterMode = 1;                   // WaterMode
    int waterPos = 2;                    // WaterPos
    int waterAngle = 0;                  // WaterAngle
    bool OpenSub = false;                // OpenSub
    int waterFontSize = 72;              // WaterFontSize
    QByteArray waterFontFamily = "宋体"; // WaterFontFamily
    int UIIndex = 1;                     // UIIndex
    int rval = 255;                      // rval
    int gval = 0;                        // gval
    int bval = 0;                        // bval
    int Opcity = 255;                    // Opcity
    int LineWidth = 5;                   // LineWidth
    int Language = 0;                    // Language
    bool ResizeImage = false;            // ResizeImage
    float ResizeImageRatio = 1.0f;       // ResizeImageRatio
    int multiCapMode = 0;                // MultiCapMode
    int captureLimit = 9999;             // CapCount
    int captureInterval = 3;             // Interval
    bool searchablePdf = false;          // SearchablePdf: PDF captures carry their words
};

namespace config {
// Bounds a setting keeps wherever it is entered (the profile file, a dialog).
// Seconds between timer captures: the timer counts milliseconds in an int.
constexpr int kMaxCaptureInterval = std::numeric_limits<int>::max() / 1000;
// Scaling of captured pictures: the camera library takes up to 10; below
// 1/20 a page is no longer readable.
constexpr double kMinResizeRatio = 0.05;
constexpr double kMaxResizeRatio = 10.0;
} // namespace config
