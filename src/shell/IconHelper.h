#pragma once

#include <QChar>
#include <QFont>

class QLabel;
class QPushButton;

// Puts single glyphs of the icon font on labels and buttons. One instance for
// the process, created on first use.
class IconHelper {
public:
    static IconHelper& instance();

    void SetIcon(QLabel* label, QChar glyph, int pointSize = 10);
    void SetIcon(QPushButton* button, QChar glyph, int pointSize = 10);

    // The family of the registered icon font; empty when it could not be loaded.
    QString family() const { return iconFont.family(); }

private:
    IconHelper();
    QFont iconFont;
};
