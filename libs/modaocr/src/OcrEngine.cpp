#include "OcrEngine.h"

#include "PagePicture.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <dlfcn.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace modaocr {

namespace {

// Chinese and English when both model sets are there, else the one that is.
constexpr const char* kLanguageChoices[] = {"chi_sim+eng", "eng", "chi_sim"};

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
    if (starter.joinable())
        starter.join();
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& reader : readers)
        if (reader)
            reader->End();
}

bool OcrEngine::start(const std::string& modelFolder) {
    std::lock_guard<std::mutex> lock(mutex);
    if (started || failed || starter.joinable())
        return !failed;
    models = modelFolder;
    starter = std::thread([this] {
        std::lock_guard<std::mutex> startLock(mutex);
        startLocked();
    });
    return true;
}

bool OcrEngine::startLocked() {
    if (started || failed)
        return started;
    const unsigned cores = std::thread::hardware_concurrency();
    for (int i = 0; i < (cores >= 2 ? 2 : 1); ++i) {
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        const char* folder = models.empty() ? nullptr : models.c_str();
        bool ready = false;
        for (const char* set : kLanguageChoices) {
            if (i > 0 && languageSet != set)
                continue;
            if (api->Init(folder, set, tesseract::OEM_LSTM_ONLY) == 0) {
                languageSet = set;
                ready = true;
                break;
            }
        }
        if (!ready)
            break;
        // Resolution is always given; no estimate lines on the console.
        api->SetVariable("debug_file", "/dev/null");
        // The page's layout found as the tesseract command finds it: blocks
        // of text apart from pictures, so a QR code or a barcode is left out
        // as a picture instead of being read as lines of stray characters
        // (the library's own default takes the whole page as one text block).
        api->SetPageSegMode(tesseract::PSM_AUTO);
        readers[i] = std::move(api);
    }
    started = readers[0] != nullptr;
    failed = !started;
    return started;
}

std::string OcrEngine::languages() {
    std::lock_guard<std::mutex> lock(mutex);
    return startLocked() ? languageSet : std::string();
}

namespace {

// The text of a picture on a reader.
std::string readPicture(tesseract::TessBaseAPI& api, Pix* pix, int dpi) {
    limitThreadsForCaller();
    api.SetImage(pix);
    api.SetSourceResolution(dpi);
    std::unique_ptr<char[]> text(api.GetUTF8Text());
    api.Clear();
    return text ? std::string(text.get()) : std::string();
}

} // namespace

std::string OcrEngine::recognise(const char* path) {
    PagePicture page = loadPagePicture(path);
    if (!page.gray)
        return {};
    std::lock_guard<std::mutex> lock(mutex);
    if (!startLocked())
        return {};
    Pix* pix = page.gray.get();
    const int cut = readers[1] ? findMiddleGap(pix) : -1;
    PixPtr upper = cut < 0 ? nullptr : rowsOf(pix, 0, cut);
    PixPtr lower = cut < 0 ? nullptr : rowsOf(pix, cut, pixGetHeight(pix));
    if (!upper || !lower)
        return joinChineseCharacters(readPicture(*readers[0], pix, page.dpi));
    // The two halves side by side, each on its own reader and picture.
    std::string lowerText;
    std::thread helper([&] { lowerText = readPicture(*readers[1], lower.get(), page.dpi); });
    std::string text = readPicture(*readers[0], upper.get(), page.dpi);
    helper.join();
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && !lowerText.empty())
        text += '\n';
    text += lowerText;
    return joinChineseCharacters(text);
}

int findMiddleGap(const Pix* gray) {
    constexpr int kReduction = 4;
    constexpr int kMinGapRows = 3; // 12 rows of the picture: 1 mm at 300 dpi
    auto* source = const_cast<Pix*>(gray);
    if (pixGetDepth(source) != 8 || pixGetHeight(source) < 200 * kReduction ||
        pixGetWidth(source) < 50 * kReduction)
        return -1;
    PixPtr small(pixScaleAreaMap(source, 1.0f / kReduction, 1.0f / kReduction));
    // Even light: paper becomes a flat bright background, text stays dark.
    PixPtr flat(small ? pixBackgroundNormSimple(small.get(), nullptr, nullptr) : nullptr);
    if (!flat)
        return -1;
    const int width = pixGetWidth(flat.get());
    const int height = pixGetHeight(flat.get());
    const int wpl = pixGetWpl(flat.get());
    const l_uint32* data = pixGetData(flat.get());
    // Ink per row: the reading work lies where the ink is.
    std::vector<long> inkAbove(size_t(height) + 1, 0);
    for (int y = 0; y < height; ++y) {
        const l_uint32* line = data + size_t(y) * size_t(wpl);
        long ink = 0;
        for (int x = 0; x < width; ++x)
            ink += GET_DATA_BYTE(line, x) < 128;
        inkAbove[size_t(y) + 1] = inkAbove[size_t(y)] + ink;
    }
    const long total = inkAbove[size_t(height)];
    // The middle of the blank run that splits the ink most evenly; the
    // smaller part keeps at least a quarter.
    int best = -1;
    long bestImbalance = total;
    int run = 0;
    for (int y = 0; y <= height; ++y) {
        if (y < height && inkAbove[size_t(y) + 1] == inkAbove[size_t(y)]) {
            ++run;
            continue;
        }
        if (run >= kMinGapRows && run < y) {
            const int middle = y - (run + 1) / 2;
            const long above = inkAbove[size_t(middle)];
            const long imbalance = std::labs(total - 2 * above);
            if (above * 4 >= total && (total - above) * 4 >= total && imbalance < bestImbalance) {
                best = middle;
                bestImbalance = imbalance;
            }
        }
        run = 0;
    }
    return best < 0 ? -1 : best * kReduction;
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
