#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace tesseract {
class TessBaseAPI;
}

namespace modaocr {

// The one recogniser of the process: Tesseract with the simplified Chinese
// and English models, started once and kept. Calls take turns.
class OcrEngine {
public:
    static OcrEngine& instance();

    // Starts the recogniser if it is not running yet; true when it runs.
    // modelFolder: a folder holding chi_sim and eng models, or empty for the
    // system's.
    bool start(const std::string& modelFolder);

    // The UTF-8 text of the picture file; empty when it cannot be read or
    // the recogniser cannot start.
    std::string recognise(const char* path);

    ~OcrEngine();

private:
    OcrEngine() = default;
    bool startLocked(const std::string& modelFolder);

    std::mutex mutex;
    std::unique_ptr<tesseract::TessBaseAPI> api;
    bool started = false;
    bool failed = false;
};

// Keeps OpenMP inside the recogniser to the calling thread. Tesseract's
// parallel loops ask for more threads than a small machine has; on two cores
// one thread reads a page about five times faster. The environment variable
// only counts when it is set before the OpenMP runtime loads, which in a
// program that loads other OpenMP users comes before main(); the runtime's
// per-thread nesting limit works at any time.
void limitThreadsForCaller();

// Removes the spaces the recogniser puts between two Chinese characters
// (Chinese text has none); spaces next to Latin text stay.
std::string joinChineseCharacters(const std::string& utf8);

} // namespace modaocr
