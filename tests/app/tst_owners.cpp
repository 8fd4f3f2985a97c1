// The main window's owners without widgets, each over one table: the naming
// panel, ...

#include "capture/NamingPanel.h"
#include "config/Settings.h"
#include "platform/Messages.h"
#include "shell/Language.h"

#include <QtTest>

class TestOwners : public QObject {
    Q_OBJECT
    QStringList messages;

private slots:
    void init() {
        messages.clear();
        platform::setMessageHandler(
            [this](const QString& text, const QString&) { messages << text; });
    }
    void cleanup() { platform::setMessageHandler({}); }

    void namingPanel_data();
    void namingPanel();
};

// One edit of the naming panel from the stored rule, in a language: whether
// it was taken, the message, the value stored after it and what the panel
// shows.
void TestOwners::namingPanel_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored"); // the edited value as the panel shows it
    QTest::addColumn<QString>("shown");  // counter boxes, name box, label, name box text, width
    const QString digits = QStringLiteral("请输入[1-20]之间的数字!");
    const QString step = QStringLiteral("请输入[1-100]之间的数字!");
    const QString automaticZh = QStringLiteral("counters name 前缀: Image 51");
    QTest::newRow("digits 20") << 0 << 0 << "digits"
                               << " 20 " << true << ""
                               << "20" << automaticZh;
    QTest::newRow("digits 0") << 0 << 0 << "digits"
                              << "0" << false << digits << "5" << automaticZh;
    QTest::newRow("digits 21") << 0 << 0 << "digits"
                               << "21" << false << digits << "5" << automaticZh;
    QTest::newRow("digits hex") << 0 << 0 << "digits"
                                << "0x5" << false << digits << "5" << automaticZh;
    QTest::newRow("step 100") << 0 << 0 << "step"
                              << "100" << true << ""
                              << "100" << automaticZh;
    QTest::newRow("step -1") << 0 << 0 << "step"
                             << "-1" << false << step << "1" << automaticZh;
    QTest::newRow("counter -7") << 0 << 0 << "counter"
                                << "-7" << true << ""
                                << "-7" << automaticZh;
    QTest::newRow("counter past int")
        << 0 << 0 << "counter"
        << "2147483648" << false << QStringLiteral("请输入整数!") << "0" << automaticZh;
    // English messages stay Chinese, as the program has them.
    QTest::newRow("english digits") << 1 << 0 << "digits"
                                    << "x" << false << digits << "5"
                                    << "counters name Prefix: Image 51";
    QTest::newRow("prefix") << 0 << 0 << "name"
                            << "页" << true << ""
                            << "页"
                            << "counters name 前缀: 页 51";
    QTest::newRow("custom name is no prefix") << 0 << 3 << "name"
                                              << "page" << true << ""
                                              << "Image"
                                              << "- name 文件名:  120";
    QTest::newRow("to custom") << 1 << 0 << "rule"
                               << "3" << true << ""
                               << "3"
                               << "- name 文件名:  120";
    QTest::newRow("to date") << 0 << 0 << "rule"
                             << "2" << true << ""
                             << "2"
                             << "- - ";
    QTest::newRow("to barcode") << 0 << 3 << "rule"
                                << "1" << true << ""
                                << "1"
                                << "- - ";
    QTest::newRow("to automatic") << 0 << 2 << "rule"
                                  << "0" << true << ""
                                  << "0" << automaticZh;
    QTest::newRow("same rule") << 0 << 2 << "rule"
                               << "2" << false << ""
                               << "2"
                               << "- - ";
    QTest::newRow("no rule") << 0 << 2 << "rule"
                             << "-1" << false << ""
                             << "2"
                             << "- - ";
    QTest::newRow("not a rule") << 0 << 2 << "rule"
                                << "4" << false << ""
                                << "2"
                                << "- - ";
}

void TestOwners::namingPanel() {
    QFETCH(int, language);
    QFETCH(int, rule);
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(bool, taken);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Settings cfg;
    cfg.Language = language;
    cfg.nameRule = rule;
    cfg.prefixName = "Image";
    cfg.fileNameDigits = 5;
    cfg.fileNameStep = 1;
    cfg.fileNameCounter = 0;
    shell::Language texts(cfg.Language);
    capture::NamingPanel panel(cfg, texts);

    bool result = true;
    QString after;
    if (edit == "digits") {
        result = panel.editDigits(typed);
        after = panel.digits();
    } else if (edit == "step") {
        result = panel.editStep(typed);
        after = panel.step();
    } else if (edit == "counter") {
        result = panel.editCounter(typed);
        after = panel.counter();
    } else if (edit == "name") {
        panel.editName(typed);
        after = panel.prefix();
    } else {
        result = panel.chooseRule(typed.toInt());
        after = QString::number(panel.rule());
    }
    QCOMPARE(result, taken);
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(after, stored);
    QStringList view{panel.showsCounterBoxes() ? "counters" : "-",
                     panel.showsNameBox() ? "name" : "-"};
    if (panel.showsNameBox())
        view << panel.nameLabel() << panel.nameBoxText() << QString::number(panel.nameBoxWidth());
    else
        view << QString();
    QCOMPARE(view.join(' '), shown);
}

QTEST_GUILESS_MAIN(TestOwners)
#include "tst_owners.moc"
