#pragma once

#include <QDialog>

class QLabel;

// About box: product name, version and contact texts in the current language.
class QOrvAbout : public QDialog {
    Q_OBJECT
public:
    explicit QOrvAbout(int language, QWidget* parent = nullptr);

    static QString versionText();

private:
    QLabel* title;
    QLabel* version;
    QLabel* contact;
};
