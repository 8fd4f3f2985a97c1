#pragma once

#include <QDialog>
#include <QRect>

// The small frameless window that shows the vice camera over the main picture.
class QSmallWidget : public QDialog {
    Q_OBJECT
public:
    explicit QSmallWidget(QWidget* parent);

    // Where the window's top-left corner may be, in screen coordinates
    // (left, top, right, bottom; empty until the first computation).
    QRect allowedArea{QPoint(0, 0), QPoint(-1, -1)};
    int hitZone = 11;

protected:
    void paintEvent(QPaintEvent* event) override;
};
