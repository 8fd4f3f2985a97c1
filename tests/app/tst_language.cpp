// The window frame and the language switch: texts, the Chinese-only buttons,
// the button row, the menu, maximise and restore.

#include "AppTestEnv.h"
#include "shell/Language.h"
#include "ui_MainForm.h"

#include <QMenu>
#include <QScreen>
#include <QtTest>

class TestLanguage : public QObject {
    Q_OBJECT
    AppTestEnv env;

    static QList<QAction*> languageActions(MainForm* form) {
        for (QAction* a : form->widgets()->btnMenu->menu()->actions())
            if (a->menu())
                return a->menu()->actions();
        return {};
    }

private slots:
    void init() { env.setUp(); }

    void englishHidesTheChineseOnlyButtonsAndWidensTheRow();
    void everyTextFollowsTheLanguage();
    void unknownLanguageKeepsTheFormTexts();
    void languageChoiceComesBackAfterRestart();
    void doubleClickOnTitleMaximisesAndRestores();
    void draggingTheWindowMovesIt();
    void linksStayConnectedOnceAcrossLanguageSwitches();
    void textsAndMessagesFollowTheStoredLanguage_data();
    void textsAndMessagesFollowTheStoredLanguage();
};

void TestLanguage::englishHidesTheChineseOnlyButtonsAndWidensTheRow() {
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    QCOMPARE(ui->pushButtonScan->width(), 75);
    QVERIFY(!ui->pushButtonReadIDCard->isHidden());

    form->onEnglish();
    QVERIFY(ui->pushButtonReadIDCard->isHidden());
    QVERIFY(ui->pushButtonRecogID->isHidden());
    QVERIFY(ui->pushButtonFinger->isHidden());
    for (QPushButton* b :
         {ui->pushButtonScan, ui->pushButtonAutoScan, ui->pushButtonCompose, ui->pushButtonRec,
          ui->pushButtonReadBarcode, ui->pushButtonPrint, ui->pushButtonOCR})
        QCOMPARE(b->width(), 85);

    form->onChinese();
    QVERIFY(!ui->pushButtonReadIDCard->isHidden());
    QVERIFY(!ui->pushButtonRecogID->isHidden());
    QVERIFY(!ui->pushButtonFinger->isHidden());
    QCOMPARE(ui->pushButtonOCR->width(), 75);
    form.reset();
}

void TestLanguage::everyTextFollowsTheLanguage() {
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    form->onEnglish();
    QCOMPARE(form->windowTitle(), QStringLiteral("Orvanta High speed portable scanner"));
    QCOMPARE(ui->pushButtonScan->text(), QStringLiteral("Capture"));
    QCOMPARE(ui->groupBox_6->title(), QStringLiteral("Naming rules"));
    QCOMPARE(ui->btnMenu_Close->toolTip(), QStringLiteral("Close"));
    QCOMPARE(ui->tabWidget->tabText(1), QStringLiteral("Senior"));
    QVERIFY(ui->labelMarkMode->text().contains(QStringLiteral("Whiteboard")));
    QCOMPARE(ui->comboBoxColor->itemText(2), QStringLiteral("Black and white"));
    QCOMPARE(ui->comboBoxFmt->itemText(2), QStringLiteral("Multi page PDF"));
    const QList<QAction*> langs = languageActions(form.get());
    QCOMPARE(langs.size(), 2);
    QCOMPARE(langs[1]->text(), QStringLiteral("English"));
    QVERIFY(langs[1]->isChecked() && !langs[0]->isChecked());

    form->onChinese();
    QCOMPARE(ui->pushButtonScan->text(), QStringLiteral("拍照"));
    QCOMPARE(ui->label_9->text(), QStringLiteral("文件路径:"));
    QCOMPARE(ui->comboBoxColor->itemText(0), QStringLiteral("彩色"));
    QVERIFY(langs[0]->isChecked() && !langs[1]->isChecked());
    form.reset();
}

void TestLanguage::unknownLanguageKeepsTheFormTexts() {
    env.writeProfile("Language=2\n");
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    QCOMPARE(ui->pushButtonScan->text(), QStringLiteral("拍照"));
    for (QAction* a : languageActions(form.get()))
        QVERIFY(!a->isChecked());
    // Only the title bar is placed: the buttons keep the form's geometry.
    QCOMPARE(ui->widget_title->geometry(), QRect(0, 0, form->width(), 20));
    form.reset();
    QVERIFY(env.readProfile().contains("Language=2"));
}

void TestLanguage::languageChoiceComesBackAfterRestart() {
    auto form = env.makeForm();
    form->onEnglish();
    form.reset();
    form = env.makeForm();
    QCOMPARE(AppTestEnv::saved(form).Language, 1);
    QCOMPARE(form->widgets()->pushButtonOCR->text(), QStringLiteral("OCR"));
    QVERIFY(form->widgets()->pushButtonReadIDCard->isHidden());
    form.reset();
}

void TestLanguage::doubleClickOnTitleMaximisesAndRestores() {
    auto form = env.makeForm();
    const QRect before = form->geometry();
    QCOMPARE(form->widgets()->btnMenu_Max->text(), QString(QChar(0xF096))); // maximise glyph
    QTest::mouseDClick(form->widgets()->lab_Title, Qt::LeftButton);
    QCOMPARE(form->widgets()->btnMenu_Max->text(), QString(QChar(0xF079))); // restore glyph
    QCOMPARE(form->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    QCOMPARE(form->widgets()->btnMenu_Max->toolTip(), QStringLiteral("最大化"));
    QTest::mouseDClick(form->widgets()->lab_Title, Qt::LeftButton);
    QCOMPARE(form->widgets()->btnMenu_Max->text(), QString(QChar(0xF096)));
    QCOMPARE(form->geometry(), before);

    form->onEnglish();
    form->widgets()->btnMenu_Max->click();
    QCOMPARE(form->widgets()->btnMenu_Max->toolTip(), QStringLiteral("Maximize"));
    form->widgets()->btnMenu_Max->click();
    QCOMPARE(form->geometry(), before);
    form.reset();
}

void TestLanguage::draggingTheWindowMovesIt() {
    auto form = env.makeForm();
    form->move(100, 100);
    const QPoint start = form->pos();
    const QPoint grip(300, 10); // on the title bar, outside every button
    QTest::mousePress(form->widgets()->widget_title, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(40, 25)),
                     QPointF(form->widgets()->widget_title->mapToGlobal(grip + QPoint(40, 25))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->widgets()->widget_title, &move);
    QTest::mouseRelease(form->widgets()->widget_title, Qt::LeftButton, {}, grip + QPoint(40, 25));
    QCOMPARE(form->pos(), start + QPoint(40, 25));
    // After the release a move with the button down (pressed elsewhere) is
    // no drag.
    QMouseEvent later(QEvent::MouseMove, QPointF(grip + QPoint(90, 60)),
                      QPointF(form->widgets()->widget_title->mapToGlobal(grip + QPoint(90, 60))),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->widgets()->widget_title, &later);
    QCOMPARE(form->pos(), start + QPoint(40, 25));
    form.reset();
}

void TestLanguage::linksStayConnectedOnceAcrossLanguageSwitches() {
    auto form = env.makeForm();
    for (int i = 0; i < 3; ++i) {
        form->onEnglish();
        form->onChinese();
    }
    // One activation of the whiteboard link enters the whiteboard once: the
    // picture moves to the whiteboard window in one call.
    fake::core().calls.clear();
    emit form->widgets()->labelMarkMode->linkActivated(QStringLiteral("#"));
    QCOMPARE(fake::core().count("OrvSetHwnd"), 1);
    QVERIFY(!form->isVisible());
    fake::core().calls.clear();
    emit form->widgets()->labelSnapMode->linkActivated(QStringLiteral("#"));
    QCOMPARE(fake::core().count("OrvSetHwnd"), 1);
    form.reset();
}

void TestLanguage::textsAndMessagesFollowTheStoredLanguage_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("chinese") << 0 << QStringLiteral("中") << QStringLiteral("提示");
    QTest::newRow("english") << 1 << QStringLiteral("en") << QStringLiteral("Information");
    QTest::newRow("form texts") << 2 << QStringLiteral("中") << QStringLiteral("提示");
}

void TestLanguage::textsAndMessagesFollowTheStoredLanguage() {
    QFETCH(int, stored);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    int setting = -1;
    shell::Language language(setting);
    QSignalSpy changes(&language, &shell::Language::languageChanged);
    language.set(stored);
    language.set(stored); // no change, no signal
    QCOMPARE(setting, stored);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(language.text(QStringLiteral("中"), QStringLiteral("en")), text);
    language.tell(QStringLiteral("中"), QStringLiteral("en"));
    QCOMPARE(env.messages, (QList<QPair<QString, QString>>{{text, caption}}));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
