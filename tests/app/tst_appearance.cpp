// Every skin in both languages: the texts of the main window and of every
// dialog fit their widgets, and every text and glyph the skins colour reads
// against its background.

#include "AppTestEnv.h"
#include "annotation/QLineWidthDlg.h"
#include "annotation/QSetOpcityDlg.h"
#include "capture/ProfileName.h"
#include "capture/QMultiCapDialog.h"
#include "capture/WatermarkRecord.h"
#include "dialogs/QSettingDlg.h"
#include "recognition/QBarcodeResultDlg.h"
#include "recognition/QFingerShowDlg.h"
#include "recognition/QOCRResultDlg.h"
#include "shell/Contrast.h"
#include "shell/QOrvAbout.h"
#include "shell/QSetUIDlg.h"
#include "ui_MainForm.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOption>
#include <QtTest>

namespace {

const char* const skinNames[] = {"chocolate", "blue", "mgreen", "green", "pink", "brown"};

QString readSheet(int skin) {
    QFile f(QStringLiteral(":/image/%1.css").arg(QLatin1String(skinNames[skin - 1])));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

// One selector of a style sheet with the properties its block sets.
struct Rule {
    QString selector;
    QHash<QString, QString> props;
};

QList<Rule> parseSheet(QString sheet) {
    sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"),
                                    QRegularExpression::DotMatchesEverythingOption));
    QList<Rule> rules;
    for (const QString& block : sheet.split(QLatin1Char('}'), Qt::SkipEmptyParts)) {
        const int open = block.indexOf(QLatin1Char('{'));
        if (open < 0)
            continue;
        QHash<QString, QString> props;
        for (const QString& decl : block.mid(open + 1).split(QLatin1Char(';'))) {
            const int colon = decl.indexOf(QLatin1Char(':'));
            if (colon > 0)
                props.insert(decl.left(colon).trimmed(), decl.mid(colon + 1).trimmed());
        }
        for (const QString& sel : block.left(open).split(QLatin1Char(',')))
            rules.append({sel.simplified(), props});
    }
    return rules;
}

// The opaque colours a property value names (#RRGGBB, rgb(), rgba() with
// full alpha); transparent stops are left out.
QList<QColor> coloursIn(const QString& value) {
    QList<QColor> out;
    const QRegularExpression re(QStringLiteral("#([0-9A-Fa-f]{6})|rgba?\\(\\s*(\\d+)\\s*,\\s*(\\d+)"
                                               "\\s*,\\s*(\\d+)\\s*(?:,\\s*(\\d+))?\\)"));
    for (auto it = re.globalMatch(value); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty())
            out << QColor(QLatin1Char('#') + m.captured(1));
        else if (m.captured(5).isEmpty() || m.captured(5).toInt() == 255)
            out << QColor(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    }
    return out;
}

QString background(const QHash<QString, QString>& props) {
    return props.value(QStringLiteral("background"),
                       props.value(QStringLiteral("background-color")));
}

bool isViewButton(const QString& selector) {
    static const QRegularExpression re(
        QStringLiteral("#pushButton(Drag|Cut|RotateLeft|RotateRight|ZoomOut|ZoomIn|FullSrn)"));
    return re.match(selector).hasMatch();
}

QString plain(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// Why a widget's text does not fit, or an empty string.
QString misfit(QWidget* w) {
    const QFontMetrics fm(w->font());
    const auto report = [w](int need, int room, const QString& text) {
        return need <= room ? QString()
                            : QStringLiteral("%1 \"%2\": needs %3 px, has %4")
                                  .arg(w->objectName(), text)
                                  .arg(need)
                                  .arg(room);
    };
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || label->wordWrap())
            return {};
        const int need = label->sizeHint().width();
        const int room = label->width();
        if (need > room && !label->toolTip().isEmpty())
            return {}; // elided on purpose, the whole text in the tool tip
        return report(need, room, label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QString text = plain(button->text());
        if (text.isEmpty())
            return {};
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(button))
            element = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton*>(button))
            element = QStyle::SE_RadioButtonContents;
        const QRect room = button->style()->subElementRect(element, &opt, button);
        const int need = fm.horizontalAdvance(text);
        if (need > room.width() && !button->toolTip().isEmpty() &&
            qobject_cast<QPushButton*>(button))
            return {};
        return report(need, room.width(), text);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // A value the program fills in shows whole (a read-only path may not).
        if (edit->isReadOnly() || edit->text().isEmpty())
            return {};
        QStyleOptionFrame opt;
        opt.initFrom(edit);
        opt.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit);
        const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
        // The line edit keeps 2 px on each side of its text.
        return report(fm.horizontalAdvance(edit->text()), room.width() - 4, edit->text());
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable())
            return {};
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                           QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i) {
            const QString why =
                report(fm.horizontalAdvance(combo->itemText(i)), field.width(), combo->itemText(i));
            if (!why.isEmpty())
                return why;
        }
    }
    return {};
}

// A label's text must end before the input to its right on the same row.
QString touching(QLabel* label) {
    if (label->text().isEmpty() || !label->parentWidget())
        return {};
    const int textRight = label->alignment() & Qt::AlignRight
                              ? label->geometry().right()
                              : label->x() + label->sizeHint().width() - 1;
    for (QObject* o : label->parentWidget()->children()) {
        auto* input = qobject_cast<QWidget*>(o);
        if (!input || !input->isVisible() ||
            !(qobject_cast<QLineEdit*>(input) || qobject_cast<QComboBox*>(input) ||
              qobject_cast<QAbstractSpinBox*>(input)))
            continue;
        const QRect g = input->geometry();
        const bool sameRow = g.top() < label->geometry().bottom() && g.bottom() > label->y();
        if (sameRow && g.left() > label->x() && textRight + 2 >= g.left())
            return QStringLiteral("%1 \"%2\" ends at %3, %4 starts at %5")
                .arg(label->objectName(), label->text())
                .arg(textRight)
                .arg(input->objectName())
                .arg(g.left());
    }
    return {};
}

QStringList problemsIn(QWidget* window) {
    QStringList problems;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        QString why = misfit(w);
        if (why.isEmpty())
            if (auto* label = qobject_cast<QLabel*>(w))
                why = touching(label);
        if (!why.isEmpty())
            problems << why;
    }
    return problems;
}

} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
    AppTestEnv env;

private slots:
    void init() {
        env.setUp();
        qApp->setStyleSheet(QString());
    }
    void everySkinColoursTextsAndGlyphsReadably();
    void textsFitInEverySkinAndLanguage();
};

void TestAppearance::everySkinColoursTextsAndGlyphsReadably() {
    for (int skin = 1; skin <= 6; ++skin) {
        const QList<Rule> rules = parseSheet(readSheet(skin));
        QVERIFY(!rules.isEmpty());
        QHash<QString, QColor> textOf; // selector without its state -> text colour
        for (const Rule& r : rules)
            if (const auto c = coloursIn(r.props.value(QStringLiteral("color"))); !c.isEmpty())
                textOf.insert(r.selector, c.first());
        int checked = 0;
        for (const Rule& r : rules) {
            if (r.selector.contains(QStringLiteral(":disabled")))
                continue; // greyed out on purpose
            if (r.selector.contains(QStringLiteral("#btnMenu")) ||
                r.selector.contains(QStringLiteral("#lab_")))
                continue; // the title bar keeps its fixed colours
            QColor text;
            if (const auto c = coloursIn(r.props.value(QStringLiteral("color"))); !c.isEmpty())
                text = c.first();
            else
                text = textOf.value(r.selector.section(QLatin1Char(':'), 0, 0));
            const double need = isViewButton(r.selector) ? contrast::kGlyph : contrast::kText;
            const auto expect = [&](const QColor& fg, const QColor& bg, const char* what) {
                const double ratio = contrast::ratio(fg, bg);
                QVERIFY2(ratio >= need,
                         qPrintable(QStringLiteral("%1: %2 %3 %4 on %5 is %6:1")
                                        .arg(QLatin1String(skinNames[skin - 1]), r.selector,
                                             QLatin1String(what), fg.name(), bg.name())
                                        .arg(ratio, 0, 'f', 2)));
                ++checked;
            };
            if (text.isValid())
                for (const QColor& bg : coloursIn(background(r.props)))
                    expect(text, bg, "text");
            const auto selFg = coloursIn(r.props.value(QStringLiteral("selection-color")));
            for (const QColor& bg :
                 coloursIn(r.props.value(QStringLiteral("selection-background-color"))))
                if (!selFg.isEmpty())
                    expect(selFg.first(), bg, "selected text");
        }
        QVERIFY(checked > 20);

        // The view buttons' states show: the checked tool stands out from the
        // light face, the hovered one has a border in the glyph colour.
        QColor face, checkedFace;
        for (const Rule& r : rules) {
            if (r.selector == QStringLiteral("QPushButton#pushButtonDrag"))
                face = coloursIn(background(r.props)).value(0);
            if (r.selector == QStringLiteral("QPushButton#pushButtonDrag:checked"))
                checkedFace = coloursIn(background(r.props)).value(0);
            if (r.selector == QStringLiteral("QPushButton#pushButtonDrag:hover")) {
                const QColor border = coloursIn(r.props.value(QStringLiteral("border"))).value(0);
                QVERIFY(contrast::ratio(border, coloursIn(background(r.props)).value(0)) >=
                        contrast::kGlyph);
            }
        }
        QVERIFY(face.isValid() && checkedFace.isValid());
        QVERIFY2(contrast::ratio(face, checkedFace) >= contrast::kGlyph, skinNames[skin - 1]);
    }

    // Nothing of the window's own overrides the skin's toolbar states: the
    // checked Drag button looks different from the unchecked one.
    auto form = env.makeForm();
    form->setSkin(4);
    QPushButton* drag = form->widgets()->pushButtonDrag;
    drag->setCheckable(true);
    drag->setChecked(false);
    const QImage off = drag->grab().toImage();
    drag->setChecked(true);
    const QImage on = drag->grab().toImage();
    const QPoint corner(4, drag->height() / 2);
    QVERIFY(contrast::ratio(off.pixelColor(corner), on.pixelColor(corner)) >= contrast::kGlyph);
    form.reset();
}

void TestAppearance::textsFitInEverySkinAndLanguage() {
    auto form = env.makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    Ui::MainForm* ui = form->widgets();
    const QList<QPushButton*> row = {ui->pushButtonScan,       ui->pushButtonAutoScan,
                                     ui->pushButtonCompose,    ui->pushButtonRec,
                                     ui->pushButtonReadIDCard, ui->pushButtonReadBarcode,
                                     ui->pushButtonPrint,      ui->pushButtonOCR};

    for (int language : {0, 1}) {
        form->applyLanguage(language);
        for (int skin = 1; skin <= 6; ++skin) {
            form->setSkin(skin); // after the language: the new sheet must not undo the fitting
            const QString where = QStringLiteral("%1/%2: ").arg(skinNames[skin - 1]).arg(language);
            QStringList problems;
            for (int tab = 0; tab < ui->tabWidget->count(); ++tab) {
                ui->tabWidget->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                problems << problemsIn(form.get());
            }
            QSet<qreal> sizes;
            for (QPushButton* b : row)
                if (b->isVisible())
                    sizes.insert(b->font().pointSizeF());
            if (sizes.size() != 1)
                problems << QStringLiteral("the action row mixes %1 font sizes").arg(sizes.size());

            SettingDlgValues values;
            QSettingDlg settings(&values, [](bool, float) {});
            QSetUIDlg chooser;
            QOrvAbout about(language);
            QBarcodeResultDlg barcode;
            QOCRResultDlg ocr;
            QLineWidthDlg lineWidth;
            QSetOpcityDlg opacity;
            ProfileName watermark{WatermarkSettings()};
            QMultiCapDialog multi{MultiCapValues()};
            QFingerShowDlg finger([] { return FingerprintService::Folders(); });
            settings.applyLanguage(language);
            chooser.applyLanguage(language);
            barcode.applyLanguage(language);
            lineWidth.applyLanguage(language);
            opacity.applyLanguage(language);
            watermark.applyLanguage(language);
            for (QDialog* d : std::initializer_list<QDialog*>{&settings, &chooser, &about, &barcode,
                                                              &ocr, &lineWidth, &opacity,
                                                              &watermark, &multi, &finger}) {
                d->show();
                QCoreApplication::processEvents();
                for (const QString& p : problemsIn(d))
                    problems << d->metaObject()->className() + QStringLiteral(" ") + p;
                d->hide();
            }
            QVERIFY2(problems.isEmpty(), qPrintable(where + problems.join(QStringLiteral("\n  "))));
        }
    }
    ui->tabWidget->setCurrentIndex(0);
    form.reset();
}

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
