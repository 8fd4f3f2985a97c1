#pragma once

// One table of capture scenarios for the camera library's capture call. It
// runs against the real engine (a virtual camera) and against the recording
// fake the application tests link, so the fake can never be kinder than the
// engine: same result, same files.

#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace capturescenarios {

namespace Camera {
constexpr int Open = 0, NeverOpened = 1, OpenedAndClosed = 2, BadIndex = 3;
}

inline void addRows() {
    QTest::addColumn<int>("camera");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("split");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("files");
    const QStringList none;
    QTest::newRow("never opened") << Camera::NeverOpened << "a.jpg" << false << -1 << none;
    QTest::newRow("opened and closed") << Camera::OpenedAndClosed << "a.jpg" << false << -1 << none;
    QTest::newRow("bad index") << Camera::BadIndex << "a.jpg" << false << -1 << none;
    for (const char* ext : {"jpg", "png", "bmp", "tif", "pdf"})
        QTest::addRow("%s", ext) << Camera::Open << QStringLiteral("a.") + QLatin1String(ext)
                                 << false << 1 << QStringList{QStringLiteral("a.") + ext};
    QTest::newRow("unknown extension") << Camera::Open << "a.xyz" << false << -1 << none;
    QTest::newRow("folder missing") << Camera::Open << "missing/a.jpg" << false << -1 << none;
    QTest::newRow("pdf, folder missing") << Camera::Open << "missing/a.pdf" << false << -1 << none;
    QTest::newRow("pdf, never opened") << Camera::NeverOpened << "a.pdf" << false << -1 << none;
    QTest::newRow("split") << Camera::Open << "a.jpg" << true << 1
                           << QStringList{"a.jpg", "a_split.jpg"};
    QTest::newRow("split into a pdf")
        << Camera::Open << "a.pdf" << true << 2 << QStringList{"a.pdf"};
}

// Runs the current row on camera 0; open(camera) opens a camera and waits
// until it can capture.
inline void runRow(const std::function<bool(int)>& open) {
    QFETCH(int, camera);
    QFETCH(QString, file);
    QFETCH(bool, split);
    QFETCH(int, result);
    QFETCH(QStringList, files);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const int index = camera == Camera::BadIndex ? 7 : 0;
    if (camera == Camera::Open || camera == Camera::OpenedAndClosed)
        QVERIFY(open(0));
    if (camera == Camera::OpenedAndClosed)
        OrvCloseCamera(0);
    OrvEnableSplitCap(0, split);
    const QByteArray path = folder.filePath(file).toLocal8Bit();
    QCOMPARE(OrvCapture(index, path.constData()), result);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), files);
    OrvEnableSplitCap(0, false);
    OrvCloseCamera(0);
}

} // namespace capturescenarios
