#pragma once

// How a camera's captures are laid out: capture mode, split capture and the
// PDF mode. Plain data kept per camera, open or closed; GUI thread.

namespace orv {

struct CaptureSettings {
    enum CaptureMode { kNormal = 0, kCardBothSides = 1 };
    enum PdfMode { kPdfAppend = 0, kPdfSinglePage = 1 };

    int captureMode = kNormal;
    bool split = false;
    int pdfMode = kPdfSinglePage;

    bool setCaptureMode(int mode) {
        if (mode != kNormal && mode != kCardBothSides)
            return false;
        captureMode = mode;
        return true;
    }
    bool setPdfMode(int mode) {
        if (mode != kPdfAppend && mode != kPdfSinglePage)
            return false;
        pdfMode = mode;
        return true;
    }
};

} // namespace orv
