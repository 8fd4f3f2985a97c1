// The words of a page with their boxes: the engine's second way of reading,
// for text layers laid over the picture.

#include <modaocr/ModaOCRWords.h>

#include "OcrEngine.h"
#include "PagePicture.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace modaocr {

namespace {

// The words of a picture on a reader, their boxes moved down by top and
// their lines numbered from firstLine; the lines used are counted on.
std::string readWords(tesseract::TessBaseAPI& api, Pix* pix, int dpi, int top, int* line) {
    limitThreadsForCaller();
    api.SetImage(pix);
    api.SetSourceResolution(dpi);
    std::string out;
    if (api.Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        int current = *line - 1;
        for (bool more = it != nullptr; more; more = it->Next(tesseract::RIL_WORD)) {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE))
                ++current;
            if (it->Empty(tesseract::RIL_WORD))
                continue;
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            std::string word;
            for (const char* c = text.get(); c && *c; ++c)
                if (static_cast<unsigned char>(*c) > ' ')
                    word += *c;
            int left = 0, upper = 0, right = 0, bottom = 0;
            if (word.empty() ||
                !it->BoundingBox(tesseract::RIL_WORD, &left, &upper, &right, &bottom))
                continue;
            char head[96];
            std::snprintf(
                head, sizeof head, "%d %d %d %d %d %d ", std::max(current, *line), left,
                upper + top, right, bottom + top,
                int(std::lround(std::clamp(it->Confidence(tesseract::RIL_WORD), 0.0f, 100.0f))));
            out += head;
            out += word;
            out += '\n';
        }
        *line = std::max(current + 1, *line);
    }
    api.Clear();
    return out;
}

PixPtr rowsOf(Pix* pix, int top, int bottom) {
    Box* box = boxCreate(0, top, pixGetWidth(pix), bottom - top);
    PixPtr part(pixClipRectangle(pix, box, nullptr));
    boxDestroy(&box);
    if (part)
        pixCopyResolution(part.get(), pix);
    return part;
}

// The line numbers of text from a lower part, moved on by first.
std::string renumbered(const std::string& text, int first) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const size_t space = text.find(' ', at);
        out += std::to_string(std::stoi(text.substr(at, space - at)) + first);
        out.append(text, space, end - space);
        out += '\n';
        at = end + 1;
    }
    return out;
}

} // namespace

std::string OcrEngine::recogniseWords(const char* path) {
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
    int lines = 0;
    if (!upper || !lower)
        return readWords(*readers[0], pix, page.dpi, 0, &lines);
    // The two halves side by side, as recognise() reads them.
    std::string lowerWords;
    std::thread helper([&] {
        int lowerLines = 0;
        lowerWords = readWords(*readers[1], lower.get(), page.dpi, cut, &lowerLines);
    });
    std::string words = readWords(*readers[0], upper.get(), page.dpi, 0, &lines);
    helper.join();
    return words + renumbered(lowerWords, lines);
}

} // namespace modaocr

extern "C" const char* fnModaOCRWords(const char* imagePath) {
    thread_local std::string words;
    words = modaocr::OcrEngine::instance().recogniseWords(imagePath);
    return words.c_str();
}

extern "C" const char* fnModaOCRLanguages(void) {
    thread_local std::string languages;
    languages = modaocr::OcrEngine::instance().languages();
    return languages.c_str();
}
