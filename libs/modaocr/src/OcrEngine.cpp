#include "OcrEngine.h"

#include "PagePicture.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <dlfcn.h>

namespace modaocr {

namespace {

constexpr const char* kLanguages = "chi_sim+eng";

// Decodes the code point starting at s[i] and its length in bytes (1 for a
// byte that does not start a valid sequence).
char32_t codePointAt(const std::string& s, size_t i, size_t* length) {
    const auto b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    if (i + n > s.size())
        n = 1;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    *length = size_t(n);
    return c;
}

// Han ideographs and the full-width punctuation set around them.
bool isChinese(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x2FFFF);
}

} // namespace

OcrEngine& OcrEngine::instance() {
    static OcrEngine engine;
    return engine;
}

OcrEngine::~OcrEngine() {
    std::lock_guard<std::mutex> lock(mutex);
    if (api)
        api->End();
}

bool OcrEngine::start(const std::string& modelFolder) {
    std::lock_guard<std::mutex> lock(mutex);
    return startLocked(modelFolder);
}

bool OcrEngine::startLocked(const std::string& modelFolder) {
    if (started || failed)
        return started;
    api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(modelFolder.empty() ? nullptr : modelFolder.c_str(), kLanguages,
                  tesseract::OEM_LSTM_ONLY) != 0) {
        api.reset();
        failed = true;
        return false;
    }
    // Resolution is always given; no estimate lines on the console.
    api->SetVariable("debug_file", "/dev/null");
    started = true;
    return true;
}

std::string OcrEngine::recognise(const char* path) {
    PagePicture page = loadPagePicture(path);
    if (!page.gray)
        return {};
    std::lock_guard<std::mutex> lock(mutex);
    if (!startLocked({}))
        return {};
    limitThreadsForCaller();
    api->SetImage(page.gray.get());
    api->SetSourceResolution(page.dpi);
    std::unique_ptr<char[]> text(api->GetUTF8Text());
    api->Clear();
    return text ? joinChineseCharacters(text.get()) : std::string();
}

void limitThreadsForCaller() {
    using SetLevels = void (*)(int);
    static const auto setLevels =
        reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setLevels)
        setLevels(0); // no parallel region of this thread starts other threads
}

std::string joinChineseCharacters(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    char32_t before = 0; // the last character written that is not a space
    size_t i = 0;
    while (i < utf8.size()) {
        size_t length = 0;
        const char32_t c = codePointAt(utf8, i, &length);
        if (c == U' ' && isChinese(before)) {
            size_t j = i;
            while (j < utf8.size() && utf8[j] == ' ')
                ++j;
            size_t nextLength = 0;
            if (j < utf8.size() && isChinese(codePointAt(utf8, j, &nextLength))) {
                i = j;
                continue;
            }
        }
        out.append(utf8, i, length);
        if (c != U' ')
            before = c;
        i += length;
    }
    return out;
}

} // namespace modaocr
