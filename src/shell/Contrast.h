#pragma once

// Contrast of two colours as readers perceive it (relative luminance, ratio
// from 1:1 to 21:1), and the shade of a colour that carries a text at a
// given ratio. Used when the skins are generated and by their checks.

#include <QColor>

#include <algorithm>
#include <cmath>

namespace contrast {

// Text needs 4.5:1 against its background, glyphs and icons 3:1.
constexpr double kText = 4.5;
constexpr double kGlyph = 3.0;

inline double luminance(const QColor& c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

inline double ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour itself when the text already reaches minRatio on it, else the
// lightest darker (or lighter, for dark text) shade of it that does.
inline QColor shadeFor(const QColor& background, const QColor& text, double minRatio) {
    const bool darken = luminance(text) > luminance(background);
    QColor c = background;
    for (int step = 0; step < 100 && ratio(c, text) < minRatio; ++step)
        c = darken ? c.darker(103) : c.lighter(103);
    return c;
}

} // namespace contrast
