#include "shell/IconHelper.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMutex>
#include <QPushButton>

IconHelper& IconHelper::instance() {
    static QMutex lock;
    static IconHelper* theHelper = nullptr;
    QMutexLocker guard(&lock);
    if (!theHelper)
        theHelper = new IconHelper; // lives as long as the process
    return *theHelper;
}

IconHelper::IconHelper() {
    const int id =
        QFontDatabase::addApplicationFont(QStringLiteral(":/image/fontawesome-webfont.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty())
        iconFont = QFont(families.first());
}

void IconHelper::SetIcon(QLabel* label, QChar glyph, int pointSize) {
    iconFont.setPointSize(pointSize);
    label->setFont(iconFont);
    label->setText(glyph);
}

void IconHelper::SetIcon(QPushButton* button, QChar glyph, int pointSize) {
    iconFont.setPointSize(pointSize);
    button->setFont(iconFont);
    button->setText(glyph);
}
