// Geometry of the main window's children.

#include "camera/MainLayout.h"

#include <QtTest>

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void chineseRowHasEightButtonsCentred();
    void englishRowHidesTheIdCardReader();
    void otherLanguagePlacesOnlyTheTitle();
    void previewAndToolbarFollowTheWindowSize();
};

void TestMainLayout::chineseRowHasEightButtonsCentred() {
    const MainLayout l = computeMainLayout(929, 708, 0);
    QCOMPARE(l.actionButtons.size(), 8);
    for (const QRect& r : l.actionButtons) {
        QCOMPARE(r.size(), QSize(75, 31));
        QCOMPARE(r.top(), 708 - 62);
    }
    QCOMPARE(l.actionButtons.first().left(), 929 - 141); // capture, right-most
    QCOMPARE(l.actionButtons.last().left(), 929 - 141 - 714);
    // Roughly centred on the window.
    const int leftGap = l.actionButtons.last().left();
    const int rightGap = 929 - l.actionButtons.first().right() - 1;
    QVERIFY(qAbs(leftGap - rightGap) <= 10);
}

void TestMainLayout::englishRowHidesTheIdCardReader() {
    const MainLayout l = computeMainLayout(929, 708, 1);
    QCOMPARE(l.actionButtons.size(), 8);
    QVERIFY(l.actionButtons[4].isNull());
    int shown = 0;
    for (const QRect& r : l.actionButtons)
        if (!r.isNull()) {
            QCOMPARE(r.width(), 85);
            ++shown;
        }
    QCOMPARE(shown, 7);
    const int k = (929 - 763) / 2;
    QCOMPARE(l.actionButtons.last().left(), 929 - k - 763);
    QCOMPARE(l.actionButtons[5].left() - l.actionButtons[3].left(), -113);
}

void TestMainLayout::otherLanguagePlacesOnlyTheTitle() {
    const MainLayout l = computeMainLayout(929, 708, 2);
    QVERIFY(l.actionButtons.isEmpty());
    QCOMPARE(l.title, QRect(0, 0, 929, 20));
}

void TestMainLayout::previewAndToolbarFollowTheWindowSize() {
    const MainLayout l = computeMainLayout(1200, 900, 0);
    QCOMPARE(l.preview, QRect(QPoint(202, 66), QPoint(1200 - 149, 900 - 102)));
    QCOMPARE(l.preview.width(), 1200 - 350);
    QCOMPARE(l.thumbnailHost, QRect(1200 - 144, 66, 142, 900 - 167));
    const int c = (1200 - 350) / 2;
    QCOMPARE(l.toolButtons.first(), QRect(c, 900 - 101, 28, 28));
    QCOMPARE(l.toolButtons.last().left(), c + 342);
    QCOMPARE(l.scaleSlider, QRect(QPoint(c + 210, 900 - 95), QPoint(c + 293, 900 - 77)));
    QCOMPARE(l.markLink.size(), QSize(80, 19));
}

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
