// The thumbnail strip library as the application drives it: loaded with
// QLibrary from its file, reached only through the exported functions, shown
// in a plain native widget. What is on screen is read from the strip's view.

#include "ItemLayout.h"
#include "ThumbnailRoles.h"

#include "orvthumbnail/OrvThumbnail.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLibrary>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <climits>
#include <memory>

using namespace orv::thumb;

namespace {

struct Api {
    OrvInitLibFn initLib = nullptr;
    OrvSetLanguageFn setLanguage = nullptr;
    OrvResizeThumbFn resizeThumb = nullptr;
    OrvAddImageItemFn addImageItem = nullptr;
    OrvAddImageItemExFn addImageItemEx = nullptr;
    OrvGetImgCountFn getImgCount = nullptr;
    OrvSetItemCheckedFn setItemChecked = nullptr;
    OrvIsCheckedFn isChecked = nullptr;
    OrvGetImageFilePathFn getImageFilePath = nullptr;
    OrvClearAllItemFn clearAllItem = nullptr;
};

bool savePicture(const QString& path, QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

// Close to colour, allowing for JPEG and scaling.
bool looksLike(QRgb pixel, const QColor& colour) {
    return qAbs(qRed(pixel) - colour.red()) < 40 && qAbs(qGreen(pixel) - colour.green()) < 40 &&
           qAbs(qBlue(pixel) - colour.blue()) < 40;
}

} // namespace

class TestThumbnail : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the desktop while the test runs.
    void recordOpenedUrl(const QUrl& url) { opened.append(url); }

private:
    QLibrary library;
    Api api;
    QTemporaryDir dir;
    std::unique_ptr<QWidget> window;
    QWidget* host = nullptr;
    QList<QUrl> opened;

    QString red, green, blue, big, portrait, small, unicode;

    QString file(const QString& name) const { return dir.filePath(name); }
    static QByteArray local(const QString& path) { return QFile::encodeName(path); }

    int add(const QString& path) { return api.addImageItem(local(path).constData()); }
    int addEx(const QString& path, const QString& picture, const QString& name) {
        return api.addImageItemEx(local(path).constData(), local(picture).constData(),
                                  name.toLocal8Bit().constData());
    }

    QListView* strip() const { return host ? host->findChild<QListView*>() : nullptr; }
    QModelIndex item(int row) const { return strip()->model()->index(row, 0); }
    int stateOf(int row) const { return item(row).data(ThumbStateRole).toInt(); }
    QImage thumbnailOf(int row) const { return item(row).data(Qt::DecorationRole).value<QImage>(); }
    QRgb centreOf(int row) const {
        const QImage image = thumbnailOf(row);
        return image.pixel(image.width() / 2, image.height() / 2);
    }
    bool allReady() const {
        for (int row = 0; row < strip()->model()->rowCount(); ++row)
            if (stateOf(row) != ThumbReady)
                return false;
        return true;
    }
    QAction* action(const char* name) const {
        return strip()->findChild<QAction*>(QString::fromLatin1(name));
    }
    // Where to click on an item's picture or check box, in viewport coordinates.
    QPoint pictureOf(int row) const {
        return layoutItem(strip()->visualRect(item(row)), strip()).picture.center();
    }
    QPoint checkOf(int row) const {
        return layoutItem(strip()->visualRect(item(row)), strip()).check.center();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "recordOpenedUrl");

        library.setFileName(QStringLiteral(ORVTHUMBNAIL_LIBRARY_PATH));
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        api.initLib = reinterpret_cast<OrvInitLibFn>(library.resolve("InitLib"));
        api.setLanguage = reinterpret_cast<OrvSetLanguageFn>(library.resolve("SetLanguage"));
        api.resizeThumb = reinterpret_cast<OrvResizeThumbFn>(library.resolve("ResizeThumb"));
        api.addImageItem = reinterpret_cast<OrvAddImageItemFn>(library.resolve("AddImageItem"));
        api.addImageItemEx =
            reinterpret_cast<OrvAddImageItemExFn>(library.resolve("AddImageItemEx"));
        api.getImgCount = reinterpret_cast<OrvGetImgCountFn>(library.resolve("GetImgCount"));
        api.setItemChecked =
            reinterpret_cast<OrvSetItemCheckedFn>(library.resolve("SetItemChecked"));
        api.isChecked = reinterpret_cast<OrvIsCheckedFn>(library.resolve("IsChecked"));
        api.getImageFilePath =
            reinterpret_cast<OrvGetImageFilePathFn>(library.resolve("GetImageFilePath"));
        api.clearAllItem = reinterpret_cast<OrvClearAllItemFn>(library.resolve("ClearAllItem"));
        QVERIFY(api.initLib && api.setLanguage && api.resizeThumb && api.addImageItem &&
                api.addImageItemEx && api.getImgCount && api.setItemChecked && api.isChecked &&
                api.getImageFilePath && api.clearAllItem);

        red = file(QStringLiteral("red.jpg"));
        green = file(QStringLiteral("green.png"));
        blue = file(QStringLiteral("blue.png"));
        big = file(QStringLiteral("Image00001.jpg"));
        portrait = file(QStringLiteral("portrait.png"));
        small = file(QStringLiteral("small.png"));
        unicode = file(QStringLiteral("图像 2.png"));
        QVERIFY(savePicture(red, {320, 240}, Qt::red));
        QVERIFY(savePicture(green, {320, 240}, Qt::green));
        QVERIFY(savePicture(blue, {320, 240}, Qt::blue));
        QVERIFY(savePicture(big, {2592, 1944}, Qt::red));
        QVERIFY(savePicture(portrait, {300, 600}, Qt::green));
        QVERIFY(savePicture(small, {64, 48}, Qt::blue));
        QVERIFY(savePicture(unicode, {320, 240}, Qt::green));

        // The main window with the plain native widget the strip fills.
        window = std::make_unique<QWidget>();
        window->resize(400, 600);
        host = new QWidget(window.get());
        host->setAttribute(Qt::WA_NativeWindow);
        host->setGeometry(250, 66, 142, 433);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void init() {
        if (api.clearAllItem)
            api.clearAllItem(0);
        opened.clear();
    }

    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        if (!library.isLoaded())
            return;
        // The application frees the library before its window goes: the strip
        // must leave with the library, and the host must live on without it.
        QVERIFY(strip());
        QVERIFY(library.unload());
        QCoreApplication::processEvents();
        QVERIFY(!host->findChild<QListView*>());
        host->resize(120, 200);
        QCoreApplication::processEvents();
        window.reset();
    }

    void callsBeforeInitAreKept() {
        QVERIFY(!strip());
        QCOMPARE(api.getImgCount(), 0);
        QCOMPARE(api.resizeThumb(), -1);
        QCOMPARE(api.isChecked(0), -1);
        QCOMPARE(api.addImageItem(local(red).constData()), 0);
        QCOMPARE(api.setItemChecked(0, 1), 0);
        QCOMPARE(api.getImgCount(), 1);
        QCOMPARE(QByteArray(api.getImageFilePath(0)), local(red));

        QCOMPARE(api.initLib(0), -1);
        QCOMPARE(api.initLib(uintptr_t(0x7ffffff0)), -1);
        QVERIFY(!strip());

        QCOMPARE(api.initLib(uintptr_t(host->winId())), 0);
        QVERIFY(strip());
        QCOMPARE(strip()->model()->rowCount(), 1);
        QCOMPARE(api.isChecked(0), 1);
        QTRY_COMPARE(stateOf(0), int(ThumbReady));
        QVERIFY(looksLike(centreOf(0), Qt::red));
        QCOMPARE(api.resizeThumb(), 0);
    }

    void stripFillsHostAndFollowsResize() {
        QVERIFY(strip());
        QCOMPARE(strip()->geometry(), host->rect());
        QVERIFY(strip()->isVisible());
        add(red);
        add(green);

        host->resize(200, 300);
        QCOMPARE(strip()->geometry(), host->rect());
        // Items take the strip's new width.
        QTRY_COMPARE(strip()->visualRect(item(1)).width(),
                     strip()->viewport()->width() - 2 * strip()->spacing());

        // A host resized while hidden sends no resize event: ResizeThumb fits it.
        window->hide();
        host->resize(142, 433);
        QCOMPARE(api.resizeThumb(), 0);
        QCOMPARE(strip()->geometry(), host->rect());
        QCOMPARE(strip()->visualRect(item(0)).width(),
                 strip()->viewport()->width() - 2 * strip()->spacing());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(strip()->geometry(), host->rect());
    }

    void itemsKeepPathsNamesAndCheckedStates() {
        const QString pdf = file(QStringLiteral("Scan 0001.pdf"));
        QCOMPARE(add(red), 0);
        QCOMPARE(add(unicode), 1);
        QCOMPARE(addEx(pdf, blue, QStringLiteral("Scan 0001.pdf")), 2);
        QCOMPARE(addEx(file(QStringLiteral("b.pdf")), blue, QString()), 3);
        QCOMPARE(api.getImgCount(), 4);
        QCOMPARE(strip()->model()->rowCount(), 4);

        const char* first = api.getImageFilePath(0);
        const QByteArray kept(first);
        QCOMPARE(kept, local(red));
        QCOMPARE(QByteArray(api.getImageFilePath(1)), local(unicode)); // byte for byte
        QCOMPARE(QByteArray(api.getImageFilePath(2)), local(pdf));     // the file, not the picture

        QCOMPARE(item(0).data(Qt::DisplayRole).toString(), QStringLiteral("red.jpg"));
        QCOMPARE(item(1).data(Qt::DisplayRole).toString(), QStringLiteral("图像 2.png"));
        QCOMPARE(item(2).data(Qt::DisplayRole).toString(), QStringLiteral("Scan 0001.pdf"));
        QCOMPARE(item(3).data(Qt::DisplayRole).toString(), QStringLiteral("b.pdf"));
        QVERIFY(item(2).data(Qt::ToolTipRole).toString().contains(pdf));
        QTRY_COMPARE(stateOf(1), int(ThumbReady)); // a non-ASCII path is read too

        for (int i = 0; i < 4; ++i)
            QCOMPARE(api.isChecked(i), 0); // new items start unchecked
        QCOMPARE(api.setItemChecked(1, 1), 0);
        QCOMPARE(api.setItemChecked(3, 7), 0);
        QCOMPARE(api.isChecked(0), 0);
        QCOMPARE(api.isChecked(1), 1);
        QCOMPARE(api.isChecked(2), 0);
        QCOMPARE(api.isChecked(3), 1);
        QCOMPARE(item(1).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(api.setItemChecked(1, 0), 0);
        QCOMPARE(api.isChecked(1), 0);
        QCOMPARE(item(1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void badArgumentsAreRefused_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("-1") << -1;
        QTest::newRow("count") << 2;
        QTest::newRow("INT_MIN") << INT_MIN;
        QTest::newRow("INT_MAX") << INT_MAX;
    }
    void badArgumentsAreRefused() {
        QFETCH(int, index);
        add(red);
        add(green);
        QCOMPARE(api.setItemChecked(index, 1), -1);
        QCOMPARE(api.isChecked(index), -1);
        const char* path = api.getImageFilePath(index);
        QVERIFY(path);
        QCOMPARE(path[0], '\0');

        QCOMPARE(api.addImageItem(nullptr), -1);
        QCOMPARE(api.addImageItem(""), -1);
        QCOMPARE(api.addImageItemEx(nullptr, local(red).constData(), "x"), -1);
        QCOMPARE(api.addImageItemEx("", local(red).constData(), "x"), -1);
        QCOMPARE(api.getImgCount(), 2);
        QCOMPARE(api.isChecked(0), 0);
        QCOMPARE(api.isChecked(1), 0);
    }

    void thumbnailsShowThePictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("camera JPEG")
            << QStringLiteral("Image00001.jpg") << QSize(160, 120) << QColor(Qt::red);
        QTest::newRow("upright PNG")
            << QStringLiteral("portrait.png") << QSize(60, 120) << QColor(Qt::green);
        QTest::newRow("small, not enlarged")
            << QStringLiteral("small.png") << QSize(64, 48) << QColor(Qt::blue);
    }
    void thumbnailsShowThePictures() {
        QFETCH(QString, name);
        QFETCH(QSize, expected);
        QFETCH(QColor, colour);
        QCOMPARE(add(file(name)), 0);
        QTRY_COMPARE(stateOf(0), int(ThumbReady));
        const QImage thumbnail = thumbnailOf(0);
        QCOMPARE(thumbnail.deviceIndependentSize().toSize(), expected);
        QVERIFY(looksLike(centreOf(0), colour));
    }

    void unreadableFilesShowAFileIcon() {
        const QString notAPicture = file(QStringLiteral("notes.jpg"));
        QFile text(notAPicture);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture at all");
        text.close();

        add(file(QStringLiteral("missing.jpg")));
        add(notAPicture);
        addEx(file(QStringLiteral("Doc.pdf")), file(QStringLiteral("gone.jpg")),
              QStringLiteral("Doc.pdf"));
        api.addImageItemEx(local(file(QStringLiteral("Doc2.pdf"))).constData(), nullptr, nullptr);
        add(green);
        QCOMPARE(api.getImgCount(), 5);
        for (int row = 0; row < 4; ++row) {
            QTRY_COMPARE(stateOf(row), int(ThumbFailed));
            QVERIFY(!item(row).data(Qt::DecorationRole).value<QIcon>().isNull());
        }
        QTRY_COMPARE(stateOf(4), int(ThumbReady));
        QCOMPARE(QByteArray(api.getImageFilePath(0)), local(file(QStringLiteral("missing.jpg"))));
        QCOMPARE(item(3).data(Qt::DisplayRole).toString(), QStringLiteral("Doc2.pdf"));
        strip()->repaint(); // drawing the icons must not trip
    }

    void extendedItemKeepsThePictureOfTheMoment() {
        // The capture's temporary picture is overwritten by the next capture
        // right after the call.
        const QString picture = file(QStringLiteral("OrvImage.jpg"));
        const QString pdf = file(QStringLiteral("Scan.pdf"));
        QVERIFY(savePicture(picture, {640, 480}, Qt::blue));
        QCOMPARE(addEx(pdf, picture, QStringLiteral("Scan.pdf")), 0);
        QVERIFY(savePicture(picture, {640, 480}, Qt::green));
        QCOMPARE(addEx(file(QStringLiteral("Scan2.pdf")), picture, QStringLiteral("Scan2.pdf")), 1);
        QVERIFY(QFile::remove(picture));

        QTRY_COMPARE(stateOf(0), int(ThumbReady));
        QTRY_COMPARE(stateOf(1), int(ThumbReady));
        QVERIFY(looksLike(centreOf(0), Qt::blue));
        QVERIFY(looksLike(centreOf(1), Qt::green));
        QCOMPARE(item(0).data(FilePathRole).toString(), pdf);
    }

    void checkBoxesToggleWithMouseAndKeyboard() {
        add(red);
        add(green);
        QTRY_VERIFY(strip()->visualRect(item(1)).isValid());
        QWidget* viewport = strip()->viewport();

        QTest::mouseClick(viewport, Qt::LeftButton, {}, checkOf(0));
        QCOMPARE(api.isChecked(0), 1);
        QCOMPARE(api.isChecked(1), 0);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, checkOf(0));
        QCOMPARE(api.isChecked(0), 0);

        // A click on the picture selects, it does not check.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, pictureOf(1));
        QCOMPARE(api.isChecked(1), 0);
        QCOMPARE(strip()->currentIndex().row(), 1);
        QTest::keyClick(strip(), Qt::Key_Space);
        QCOMPARE(api.isChecked(1), 1);
        QTest::keyClick(strip(), Qt::Key_Space);
        QCOMPARE(api.isChecked(1), 0);
        QVERIFY(opened.isEmpty());
    }

    void doubleClickOpensTheFile() {
        const QString pdf = file(QStringLiteral("Scan.pdf"));
        add(red);
        addEx(pdf, blue, QStringLiteral("Scan.pdf"));
        QTRY_VERIFY(strip()->visualRect(item(1)).isValid());
        QWidget* viewport = strip()->viewport();

        QTest::mouseDClick(viewport, Qt::LeftButton, {}, pictureOf(0));
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(red)});
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, pictureOf(1));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.last(), QUrl::fromLocalFile(pdf)); // the file, not its picture

        // Quick clicks on a check box are two toggles, not an open.
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, checkOf(0));
        QCOMPARE(opened.size(), 2);

        strip()->setCurrentIndex(item(0));
        QTest::keyClick(strip(), Qt::Key_Return);
        QCOMPARE(opened.size(), 3);
        QCOMPARE(opened.last(), QUrl::fromLocalFile(red));
    }

    void contextMenuActionsWork() {
        add(red);
        add(green);
        add(blue);
        QAction* open = action("openAction");
        QAction* folder = action("showInFolderAction");
        QAction* remove = action("removeAction");
        QAction* checkAll = action("checkAllAction");
        QAction* uncheckAll = action("uncheckAllAction");
        QVERIFY(open && folder && remove && checkAll && uncheckAll);

        checkAll->trigger();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(api.isChecked(i), 1);
        uncheckAll->trigger();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(api.isChecked(i), 0);

        strip()->setCurrentIndex(item(1));
        open->trigger();
        folder->trigger();
        QCOMPARE(opened,
                 (QList<QUrl>{QUrl::fromLocalFile(green), QUrl::fromLocalFile(dir.path())}));

        api.setItemChecked(2, 1);
        remove->trigger(); // the selected item only; the files stay
        QCOMPARE(api.getImgCount(), 2);
        QCOMPARE(QByteArray(api.getImageFilePath(0)), local(red));
        QCOMPARE(QByteArray(api.getImageFilePath(1)), local(blue));
        QCOMPARE(api.isChecked(1), 1); // the state went with its item
        QVERIFY(QFile::exists(green));
    }

    void languageSwitchesTexts() {
        add(red);
        QCOMPARE(api.setLanguage(0), 0);
        QCOMPARE(action("openAction")->text(), QStringLiteral("打开"));
        QCOMPARE(action("removeAction")->text(), QStringLiteral("删除"));
        QVERIFY(item(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("双击打开")));

        QCOMPARE(api.setLanguage(1), 0);
        QCOMPARE(action("openAction")->text(), QStringLiteral("Open"));
        QCOMPARE(action("showInFolderAction")->text(), QStringLiteral("Show in folder"));
        QCOMPARE(action("removeAction")->text(), QStringLiteral("Remove from list"));
        QCOMPARE(action("checkAllAction")->text(), QStringLiteral("Check all"));
        QCOMPARE(action("uncheckAllAction")->text(), QStringLiteral("Uncheck all"));
        QVERIFY(item(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("Double-click")));

        QCOMPARE(api.setLanguage(2), -1);
        QCOMPARE(api.setLanguage(-1), -1);
        QCOMPARE(action("openAction")->text(), QStringLiteral("Open"));
        QCOMPARE(api.setLanguage(0), 0);
        QCOMPARE(action("openAction")->text(), QStringLiteral("打开"));
    }

    void hundredsOfItems() {
        const int n = 500;
        for (int i = 0; i < n; ++i)
            QCOMPARE(add(small), i);
        QCOMPARE(api.getImgCount(), n);
        QCOMPARE(strip()->model()->rowCount(), n);
        QCOMPARE(QByteArray(api.getImageFilePath(n - 1)), local(small));

        // The newest item is scrolled into view.
        const QRect visible = strip()->viewport()->rect();
        QTRY_VERIFY(visible.intersects(strip()->visualRect(item(n - 1))));
        QVERIFY(!visible.intersects(strip()->visualRect(item(0))));
        QVERIFY(strip()->verticalScrollBar()->value() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(allReady(), 30000);
        strip()->repaint();

        QCOMPARE(api.clearAllItem(0), 0);
        QCOMPARE(api.getImgCount(), 0);
        QCOMPARE(strip()->model()->rowCount(), 0);
        QCOMPARE(api.getImageFilePath(0)[0], '\0');
    }

    void clearingDropsThumbnailsStillBeingMade() {
        for (int i = 0; i < 40; ++i)
            add(big);
        QCOMPARE(api.clearAllItem(0), 0);
        QCOMPARE(add(blue), 0);
        QTRY_COMPARE(stateOf(0), int(ThumbReady));
        QVERIFY(looksLike(centreOf(0), Qt::blue));
        QCOMPARE(api.getImgCount(), 1);
    }
};

QTEST_MAIN(TestThumbnail)
#include "tst_thumbnail.moc"
