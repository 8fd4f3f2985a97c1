// The engine's two exported functions.

#include <modaocr/ModaOCR.h>

#include "OcrEngine.h"

#include <cstdlib>
#include <string>

#include <sys/stat.h>

namespace {

bool isFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program's own models when it carries both, else the system's.
std::string modelFolderBeside(const char* appDir) {
    if (!appDir || !*appDir)
        return {};
    std::string folder(appDir);
    if (folder.back() != '/')
        folder += '/';
    folder += "tessdata";
    return isFile(folder + "/chi_sim.traineddata") && isFile(folder + "/eng.traineddata")
               ? folder
               : std::string();
}

} // namespace

extern "C" int fnInit(int /*mode*/, const char* appDir) {
    // Before the recogniser's first parallel loop; counts fully when the
    // OpenMP runtime has not been loaded yet.
    setenv("OMP_THREAD_LIMIT", "1", 1);
    return modaocr::OcrEngine::instance().start(modelFolderBeside(appDir)) ? 0 : -1;
}

extern "C" const char* fnModaOCREx(const char* imagePath, int, int, float, float, float, float,
                                   bool, bool) {
    thread_local std::string text;
    text = modaocr::OcrEngine::instance().recognise(imagePath);
    return text.c_str();
}
