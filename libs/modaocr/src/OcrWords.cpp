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
#include <vector>

namespace modaocr {

namespace {

struct Word {
    int line, left, top, right, bottom, confidence;
    std::string text;
};

// Whether column x of the rows top..bottom holds a pixel darker than level.
bool inkInColumn(Pix* gray, int x, int top, int bottom, int level) {
    const l_uint32* data = pixGetData(gray);
    const int wpl = pixGetWpl(gray);
    for (int y = top; y < bottom; ++y)
        if (int(GET_DATA_BYTE(data + size_t(y) * size_t(wpl), x)) < level)
            return true;
    return false;
}

// The recogniser's word boxes are off by a letter or two now and then (the
// end of "jumps"); each word's left and right edges are moved to the ink of
// the picture, never past its neighbours on the line.
void fitToInk(Pix* gray, std::vector<Word>& words) {
    const int width = pixGetWidth(gray), height = pixGetHeight(gray);
    for (size_t i = 0; i < words.size(); ++i) {
        Word& w = words[i];
        const int top = std::clamp(w.top, 0, height), bottom = std::clamp(w.bottom, 0, height);
        if (bottom <= top || w.right <= w.left)
            continue;
        // Ink is what lies nearer the darkest than the lightest pixel of the box.
        const int right0 = std::min(w.right, width);
        int lightest = 0, darkest = 255;
        const l_uint32* data = pixGetData(gray);
        const int wpl = pixGetWpl(gray);
        for (int y = top; y < bottom; ++y)
            for (int x = std::max(0, w.left); x < right0; ++x) {
                const int v = int(GET_DATA_BYTE(data + size_t(y) * size_t(wpl), x));
                lightest = std::max(lightest, v);
                darkest = std::min(darkest, v);
            }
        if (lightest - darkest < 48)
            continue;
        const int level = (lightest + darkest) / 2;
        const bool sameLineBefore = i > 0 && words[i - 1].line == w.line;
        const bool sameLineAfter = i + 1 < words.size() && words[i + 1].line == w.line;
        const int leftLimit = sameLineBefore ? words[i - 1].right : 0;
        const int rightLimit = sameLineAfter ? words[i + 1].left : width;
        const int gap = std::max(2, (bottom - top) / 8); // blank columns inside a word
        auto ink = [&](int x) { return inkInColumn(gray, x, top, bottom, level); };
        int right = w.right;
        for (int x = w.right, blank = 0; x < rightLimit && blank <= gap; ++x) {
            if (ink(x)) {
                right = x + 1;
                blank = 0;
            } else {
                ++blank;
            }
        }
        while (right > w.left + 1 && !ink(right - 1))
            --right;
        int left = w.left;
        for (int x = w.left - 1, blank = 0; x >= leftLimit && blank <= gap; --x) {
            if (ink(x)) {
                left = x;
                blank = 0;
            } else {
                ++blank;
            }
        }
        while (left < right - 1 && !ink(left))
            ++left;
        w.left = left;
        w.right = right;
    }
}

// The words of a picture on a reader, their boxes moved down by top and
// their lines numbered from *line on; the lines used are counted on.
std::string readWords(tesseract::TessBaseAPI& api, Pix* pix, int dpi, int top, int* line) {
    limitThreadsForCaller();
    api.SetImage(pix);
    api.SetSourceResolution(dpi);
    std::vector<Word> words;
    if (api.Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        int current = *line - 1;
        for (bool more = it != nullptr; more; more = it->Next(tesseract::RIL_WORD)) {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE))
                ++current;
            if (it->Empty(tesseract::RIL_WORD))
                continue;
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            Word w{std::max(current, *line), 0, 0, 0, 0, 0, {}};
            for (const char* c = text.get(); c && *c; ++c)
                if (static_cast<unsigned char>(*c) > ' ')
                    w.text += *c;
            if (w.text.empty() ||
                !it->BoundingBox(tesseract::RIL_WORD, &w.left, &w.top, &w.right, &w.bottom))
                continue;
            w.confidence =
                int(std::lround(std::clamp(it->Confidence(tesseract::RIL_WORD), 0.0f, 100.0f)));
            words.push_back(std::move(w));
        }
        *line = std::max(current + 1, *line);
    }
    api.Clear();
    fitToInk(pix, words);
    std::string out;
    for (const Word& w : words) {
        char head[96];
        std::snprintf(head, sizeof head, "%d %d %d %d %d %d ", w.line, w.left, w.top + top, w.right,
                      w.bottom + top, w.confidence);
        out += head;
        out += w.text;
        out += '\n';
    }
    return out;
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
