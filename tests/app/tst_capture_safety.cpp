// What a user keeps after capturing: no earlier file is replaced or shrunk,
// every listed path exists, and a multi-page PDF is one growing document of
// this run. Against the fake library, which writes files as the engine does,
// and the real strip library.

#include "AppTestEnv.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

#include <QtTest>

#include <climits>

using fake::core;

class TestCaptureSafety : public QObject {
    Q_OBJECT
    AppTestEnv env;

    std::unique_ptr<MainForm> build(const QByteArray& profile = {}) {
        if (!profile.isEmpty())
            env.writeProfile(profile);
        auto form = env.makeForm();
        onScreen::strip(form).clear(); // the library outlives a window in one process
        return form;
    }
    static QStringList filesIn(MainForm* form) {
        return QDir(QString::fromLocal8Bit(onScreen::folder(form))).entryList(QDir::Files);
    }
    static QByteArray read(const QByteArray& path) {
        QFile f(QString::fromLocal8Bit(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void scan(MainForm* form, int times = 1) {
        for (int i = 0; i < times; ++i)
            form->widgets()->pushButtonScan->click();
    }
    // Every item of the strip names a file that exists.
    static bool listedFilesExist(MainForm* form) {
        for (int i = 0; i < onScreen::strip(form).count(); ++i)
            if (!QFileInfo::exists(QString::fromLocal8Bit(onScreen::strip(form).pathAt(i))))
                return false;
        return true;
    }

private slots:
    void init() { env.setUp(); }

    void extensionAndCounterFollowTheLastChoice() {
        auto form = build();
        form->widgets()->comboBoxFmt->setCurrentIndex(2);   // multi-page PDF
        form->widgets()->comboBoxColor->setCurrentIndex(2); // then black and white
        scan(form.get(), 3);
        QCOMPARE(filesIn(form.get()),
                 (QStringList{"Image00000.tif", "Image00001.tif", "Image00002.tif"}));
        QCOMPARE(onScreen::strip(form).count(), 3);

        // A language switch is no choice: the document keeps growing.
        form->widgets()->comboBoxFmt->setCurrentIndex(0);
        form->widgets()->comboBoxFmt->setCurrentIndex(2);
        form->onEnglish();
        form->onChinese();
        QCOMPARE(form->extension(), QByteArray(".pdf"));
        scan(form.get(), 3);
        const QByteArray pdf = onScreen::folder(form) + "/Image00003.pdf";
        QCOMPARE(read(pdf), QByteArray("page\npage\npage\n"));
        QCOMPARE(onScreen::strip(form).count(), 4); // one item for the document
        QVERIFY(listedFilesExist(form.get()));
    }

    void everyCameraAppendsToTheDocument() {
        core().script.cameraCount = 2;
        auto form = build();
        form->widgets()->checkBoxPIP->click();
        form->widgets()->comboBoxFmt->setCurrentIndex(2);
        scan(form.get());
        form->widgets()->pushButtonTakePh2->click();
        form->widgets()->pushButtonSwitchMainSub->click();
        scan(form.get());
        QCOMPARE(read(onScreen::folder(form) + "/Image00000.pdf"),
                 QByteArray("page\npage\npage\n"));
        QCOMPARE(core().callsOf("OrvSetPDFMode").last().args, (QVariantList{1, 0}));
        QCOMPARE(onScreen::strip(form).count(), 1);
    }

    void aNewCommitCycleStartsANewDocument() {
        auto form = build();
        form->widgets()->comboBoxFmt->setCurrentIndex(2);
        scan(form.get(), 2);
        QVERIFY(form->onCommit());
        scan(form.get());
        const QByteArray folder = onScreen::folder(form);
        QCOMPARE(read(folder + "/Image00000.pdf"), QByteArray("page\npage\n"));
        QCOMPARE(read(folder + "/Image00001.pdf"), QByteArray("page\n"));
        // Choosing the format again starts one too.
        form->widgets()->comboBoxFmt->setCurrentIndex(0);
        form->widgets()->comboBoxFmt->setCurrentIndex(2);
        scan(form.get());
        QCOMPARE(read(folder + "/Image00002.pdf"), QByteArray("page\n"));
    }

    void namesThatDontAdvanceNeverReplace() {
        auto form = build("NameRule=3\n");
        form->widgets()->lineEditFileName->setText(QStringLiteral("keep"));
        const QByteArray folder = onScreen::folder(form);
        QFile mine(QString::fromLocal8Bit(folder + "/keep.png"));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();
        scan(form.get(), 2);
        QCOMPARE(read(folder + "/keep.jpg"), QByteArray("capture 0\n"));
        QVERIFY(QFile::exists(QString::fromLocal8Bit(folder + "/keep_2.jpg")));

        // A failed capture leaves what was there.
        core().script.captureResult = 0;
        env.messages.clear();
        scan(form.get());
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(read(folder + "/keep.png"), QByteArray("mine"));
        core().script.captureResult = 1;

        // A merge of compositions: seven names, none the same.
        form.reset();
        core().reset();
        core().script.cameraCount = 2;
        form = build("NameRule=3\n");
        form->widgets()->lineEditFileName->setText(QStringLiteral("pair"));
        form->widgets()->checkBoxPIP->click();
        form->widgets()->checkBoxInVideo->click();
        form->widgets()->checkBoxMix->click();
        scan(form.get());
        QStringList pairs = filesIn(form.get()).filter(QStringLiteral("pair"));
        QCOMPARE(pairs.size(), 7); // two compositions of two shots each, and the merge
        QCOMPARE(read(onScreen::strip(form).pathAt(0)), QByteArray("merged\n"));
    }

    void splitOfTheViceCameraListsOnlyWrittenFiles() {
        core().script.cameraCount = 2;
        auto form = build();
        form->widgets()->checkBoxSplitCap->click(); // the main camera splits
        form->widgets()->checkBoxPIP->click();
        form->widgets()->pushButtonTakePh2->click();
        QCOMPARE(onScreen::strip(form).count(), 1);
        QVERIFY(listedFilesExist(form.get()));
    }

    void noImageFolderRefusesCaptures() {
        // A file where the working folder should be.
        QFile blocker(env.documents() + QStringLiteral("/Orvanta"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto form = build();
        env.messages.clear();
        scan(form.get());
        QCOMPARE(core().count("OrvCapture"), 0);
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(onScreen::strip(form).count(), 0);
    }

    void staleCommitFileIsRemovedWhenNothingIsHandedOn() {
        auto form = build();
        const QString commit =
            platform::fromLocal(platform::tempFolder()) + QStringLiteral("OrvCommit.txt");
        QFile stale(commit);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("/old/run.jpg@@");
        stale.close();
        QVERIFY(!form->onCommit());
        QVERIFY(!QFile::exists(commit));
    }

    void counterAtItsLargestValueIsRefused() {
        auto form = build();
        form->widgets()->lineEditFileNameInit->setText(QString::number(INT_MAX));
        emit form->widgets()->lineEditFileNameInit->editingFinished();
        env.messages.clear();
        scan(form.get());
        QCOMPARE(core().count("OrvCapture"), 0);
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(form->settings().fileNameCounter, INT_MAX);
    }
};

QTEST_MAIN(TestCaptureSafety)
#include "tst_capture_safety.moc"
