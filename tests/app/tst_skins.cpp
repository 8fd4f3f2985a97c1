// Skins: every style sheet parses and names only resources that exist; the
// chosen skin is applied to the whole application and comes back after a
// restart.

#include "AppTestEnv.h"
#include "shell/QSetUIDlg.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

namespace {
QStringList parseWarnings;
void collectWarnings(QtMsgType, const QMessageLogContext&, const QString& msg) {
    if (msg.contains(QStringLiteral("parse"), Qt::CaseInsensitive))
        parseWarnings << msg;
}

const char* const skinFiles[] = {"chocolate", "blue", "mgreen", "green", "pink", "brown"};

QString readResource(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}
} // namespace

class TestSkins : public QObject {
    Q_OBJECT
    AppTestEnv env;

private slots:
    void init() {
        env.setUp();
        qApp->setStyleSheet(QString());
    }

    void everySheetParsesAndNamesExistingResources();
    void skinIsAppliedAndComesBackAfterRestart();
    void skinZeroKeepsTheEntrySheetAndIsWrittenBack();
    void chooserAppliesTheClickedSkin();
    void closingTheChooserKeepsTheSkin();
};

void TestSkins::everySheetParsesAndNamesExistingResources() {
    QSet<QString> sheets;
    for (const char* name : skinFiles) {
        const QString path = QStringLiteral(":/image/%1.css").arg(QLatin1String(name));
        const QString sheet = readResource(path);
        QVERIFY2(!sheet.isEmpty(), qPrintable(path));
        sheets.insert(sheet);

        const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
        for (auto it = url.globalMatch(sheet); it.hasNext();) {
            const QString ref = it.next().captured(1);
            QVERIFY2(QFile::exists(ref), qPrintable(path + QStringLiteral(" names ") + ref));
            QVERIFY2(!QImage(ref).isNull(), qPrintable(ref));
        }
        QVERIFY2(!sheet.contains(QStringLiteral("{{")), qPrintable(path));

        parseWarnings.clear();
        QtMessageHandler old = qInstallMessageHandler(collectWarnings);
        QWidget probe;
        probe.setStyleSheet(sheet);
        auto* button = new QPushButton(QStringLiteral("x"), &probe);
        probe.ensurePolished();
        button->ensurePolished();
        qInstallMessageHandler(old);
        QVERIFY2(parseWarnings.isEmpty(), qPrintable(parseWarnings.join(QLatin1Char('\n'))));
    }
    QCOMPARE(sheets.size(), 6); // six different colour sets
}

void TestSkins::skinIsAppliedAndComesBackAfterRestart() {
    auto form = env.makeForm();
    QCOMPARE(qApp->styleSheet(), readResource(QStringLiteral(":/image/chocolate.css")));
    form->setSkin(4);
    QCOMPARE(qApp->styleSheet(), readResource(QStringLiteral(":/image/green.css")));
    form.reset();
    QVERIFY(env.readProfile().contains("UIIndex=4"));

    qApp->setStyleSheet(QString());
    form = env.makeForm();
    QCOMPARE(AppTestEnv::saved(form).UIIndex, 4);
    QCOMPARE(qApp->styleSheet(), readResource(QStringLiteral(":/image/green.css")));
    form.reset();
}

void TestSkins::skinZeroKeepsTheEntrySheetAndIsWrittenBack() {
    env.writeProfile("UIIndex=0\n");
    const QString entrySheet = readResource(QStringLiteral(":/image/chocolate.css"));
    qApp->setStyleSheet(entrySheet);
    auto form = env.makeForm();
    QCOMPARE(qApp->styleSheet(), entrySheet);
    form.reset();
    QVERIFY(env.readProfile().contains("UIIndex=0"));
}

void TestSkins::chooserAppliesTheClickedSkin() {
    auto form = env.makeForm();
    QSetUIDlg chooser;
    QObject::connect(&chooser, &QSetUIDlg::skinChosen, form.get(), &MainForm::setSkin);
    chooser.applyLanguage(1);
    QCOMPARE(chooser.windowTitle(), QStringLiteral("Skin setting"));
    QTimer::singleShot(0, &chooser, [&chooser] {
        chooser.findChild<QPushButton*>(QStringLiteral("pushButtonPink"))->click();
    });
    QCOMPARE(chooser.exec(), int(QDialog::Accepted));
    QCOMPARE(AppTestEnv::saved(form).UIIndex, 5);
    QCOMPARE(qApp->styleSheet(), readResource(QStringLiteral(":/image/pink.css")));
    form.reset();
}

void TestSkins::closingTheChooserKeepsTheSkin() {
    auto form = env.makeForm();
    form->setSkin(2);
    QSetUIDlg chooser;
    QTimer::singleShot(0, &chooser, [&chooser] { chooser.reject(); });
    QCOMPARE(chooser.exec(), int(QDialog::Rejected));
    QCOMPARE(AppTestEnv::saved(form).UIIndex, 2);
    form.reset();
}

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
