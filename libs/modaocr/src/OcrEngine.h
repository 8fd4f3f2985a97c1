#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct Pix;

namespace tesseract {
class TessBaseAPI;
}

namespace modaocr {

// The one recogniser of the process: Tesseract with the simplified Chinese
// and English models, started once and kept. Calls take turns.
class OcrEngine {
public:
    static OcrEngine& instance();

    // Starts the recogniser in the background if it is not running yet (the
    // models take most of a second to load); the first page waits for it.
    // modelFolder: a folder holding chi_sim and eng models, or empty for the
    // system's. False when an earlier start has failed.
    bool start(const std::string& modelFolder);

    // The UTF-8 text of the picture file; empty when it cannot be read or
    // the recogniser cannot start.
    std::string recognise(const char* path);
    // The words of the picture file with their boxes, in the text format of
    // fnModaOCRWords (ModaOCRWords.h); empty like recognise().
    std::string recogniseWords(const char* path);
    // The Tesseract languages the recogniser runs with; empty when no model
    // set could be loaded.
    std::string languages();

    ~OcrEngine();

private:
    OcrEngine() = default;
    bool startLocked();

    std::mutex mutex;
    // Two recognisers read the two halves of a page side by side; the second
    // is optional (one core, or it could not start).
    std::unique_ptr<tesseract::TessBaseAPI> readers[2];
    std::string models;
    std::string languageSet; // what the readers were started with
    std::thread starter;
    bool started = false;
    bool failed = false;
};

// Where a page picture can be cut into an upper and a lower part that each
// hold whole text lines and about half the ink: the middle of a band of rows
// free of ink across the whole width. -1 when there is none (skewed lines, a
// dark desk edge across the page, too small a picture).
int findMiddleGap(const Pix* gray);

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
