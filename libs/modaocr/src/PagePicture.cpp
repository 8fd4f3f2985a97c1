#include "PagePicture.h"

#include "CodeMask.h"

#include <leptonica/allheaders.h>

#include <sys/stat.h>

namespace modaocr {

void PixDeleter::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

int usableDpi(int statedDpi) {
    // Below 70 is a screen default (72, 96 from many writers is kept); above
    // 1200 no camera or scanner page goes.
    return statedDpi >= 70 && statedDpi <= 1200 ? statedDpi : kDefaultDpi;
}

PagePicture loadPagePicture(const char* path) {
    PagePicture page;
    struct stat st {};
    if (!path || !*path || stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return page;
    // A file that is not a picture is an ordinary outcome here, not an error
    // for the console.
    const l_int32 previous = setMsgSeverity(L_SEVERITY_NONE);
    PixPtr source(pixRead(path));
    PixPtr gray;
    if (source)
        gray.reset(pixConvertTo8(source.get(), 0));
    setMsgSeverity(previous);
    if (!gray)
        return page;
    page.dpi = usableDpi(pixGetXRes(source.get()));
    maskCodes(gray.get());
    page.gray = std::move(gray);
    return page;
}

PixPtr rowsOf(Pix* pix, int top, int bottom) {
    Box* box = boxCreate(0, top, pixGetWidth(pix), bottom - top);
    PixPtr part(pixClipRectangle(pix, box, nullptr));
    boxDestroy(&box);
    if (part)
        pixCopyResolution(part.get(), pix);
    return part;
}

} // namespace modaocr
