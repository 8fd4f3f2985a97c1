// The whiteboard's tool panel (hits, highlight, actions), the pen dialogs,
// the top plate and the whiteboard window's stack of layers.

#include "AppTestEnv.h"
#include "annotation/AbstractShape.h"
#include "annotation/PanelGeometry.h"
#include "annotation/QBasePlate.h"
#include "annotation/QLineWidthDlg.h"
#include "annotation/QPanel.h"
#include "annotation/QSetOpcityDlg.h"
#include "annotation/QTopPlate.h"
#include "annotation/QVisualizer.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTextEdit>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Runs f on the modal dialog of type D as soon as it is up (the caller then
// runs the code that opens it).
template <typename D> void whenModal(std::function<void(D*)> f, int tries = 0) {
    QTimer::singleShot(tries ? 5 : 0, qApp, [f, tries] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget()))
            f(d);
        else if (tries < 2000)
            whenModal<D>(f, tries + 1);
    });
}

QPoint centreOf(int button) {
    return panel::buttonRect(button).center();
}

bool onlyHighlighted(const panel::Highlight& h, int button) {
    for (int i = 0; i < panel::kButtonCount; ++i)
        if (h[size_t(i)] != (i == button))
            return false;
    return true;
}

bool noneHighlighted(const panel::Highlight& h) {
    for (bool on : h)
        if (on)
            return false;
    return true;
}

} // namespace

class TestAnnotationPanel : public QObject {
    Q_OBJECT
    AppTestEnv env;
    Settings pen;
    std::unique_ptr<QBasePlate> board;
    std::unique_ptr<QPanel> panelWidget;

    void press(int button) {
        QTest::mousePress(panelWidget.get(), Qt::LeftButton, {}, centreOf(button));
    }
    void openTextBox() {
        board->setTool(5);
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(100, 60), QPointF(100, 60),
                      QPointF(100, 60), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        board->mousePressEvent(&e);
        QVERIFY(board->textBox());
    }

private slots:
    void init() {
        env.setUp();
        pen = Settings();
        board = std::make_unique<QBasePlate>();
        board->setSettings(&pen);
        board->loadPenSettings();
        panelWidget = std::make_unique<QPanel>();
        panelWidget->setSettings(&pen);
        panelWidget->setBoard(board.get());
        panelWidget->resize(120, 257);
        panelWidget->show();
    }
    void cleanup() {
        panelWidget.reset();
        board.reset();
    }

    void buttonsLieInTwoColumnsOfSevenRows();
    void pressesHitButtonsEdgesIncluded();
    void highlightFollowsSelectingButtonsOnly();
    void buttonsSetTheBoardTool();
    void onlyTheTextButtonKeepsTheTextBox();
    void hiddenButtonsRunOnlyTheirAction();
    void everyPanelImageAndCursorExists();
    void paintShowsTheHighlight();
    void lineWidthDialogForm();
    void opacityDialogForm();
    void cancellingTheDialogsChangesNothing();
    void lineWidthDialogAccepted();
    void opacityReachesTheBoardOnlyAfterOk();
    void colourDialogAccepted();
    void dialogsSpeakTheSettingsLanguage();
    void topPlateCursorPerButton();
    void topPlateForwardsAndRaisesThePanel();
    void whiteboardLayersAndLayout();
    void undoShortcutRemovesTheNewestShape();
};

void TestAnnotationPanel::buttonsLieInTwoColumnsOfSevenRows() {
    const int rows[] = {5, 42, 79, 116, 153, 190, 227};
    for (int i = 0; i < panel::kButtonCount; ++i) {
        const QRect r = panel::buttonRect(i);
        QCOMPARE(r.size(), QSize(25, 25));
        QCOMPARE(r.left(), i % 2 ? 70 : 15);
        QCOMPARE(r.top(), rows[i / 2]);
    }
    QCOMPARE(panel::highlightRect(0), QRect(QPoint(13, 3), QPoint(41, 31)));
    QCOMPARE(QVisualizer::panelGeometry(800), QRect(0, 272, 120, 257));
    QCOMPARE(QVisualizer::panelGeometry(801), QRect(0, 272, 120, 257));
}

void TestAnnotationPanel::pressesHitButtonsEdgesIncluded() {
    QCOMPARE(panel::buttonAt({15, 5}), 0);
    QCOMPARE(panel::buttonAt({39, 29}), 0);
    QCOMPARE(panel::buttonAt({40, 29}), -1);
    QCOMPARE(panel::buttonAt({14, 5}), -1);
    QCOMPARE(panel::buttonAt({15, 4}), -1);
    QCOMPARE(panel::buttonAt({15, 30}), -1); // the gap between rows
    QCOMPARE(panel::buttonAt({15, 42}), 2);
    QCOMPARE(panel::buttonAt({70, 5}), 1);
    QCOMPARE(panel::buttonAt({94, 29}), 1);
    QCOMPARE(panel::buttonAt({95, 29}), -1);
    QCOMPARE(panel::buttonAt({50, 10}), -1); // between the columns
    QCOMPARE(panel::buttonAt({94, 251}), 13);
    QCOMPARE(panel::buttonAt({94, 252}), -1);
}

void TestAnnotationPanel::highlightFollowsSelectingButtonsOnly() {
    QVERIFY(noneHighlighted(panelWidget->highlight()));
    QTest::mousePress(panelWidget.get(), Qt::LeftButton, {}, QPoint(50, 100)); // empty area
    QVERIFY(noneHighlighted(panelWidget->highlight()));
    press(panel::Clear);
    QVERIFY(noneHighlighted(panelWidget->highlight()));
    press(panel::Pen);
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Pen));
    press(panel::Clear);
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Pen));
    QTest::mousePress(panelWidget.get(), Qt::LeftButton, {}, QPoint(110, 250));
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Pen));
    press(panel::Eraser);
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Eraser));
    press(panel::Back); // no whiteboard window: only the highlight
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Back));
    // Releases and moves do nothing.
    QTest::mouseRelease(panelWidget.get(), Qt::LeftButton, {}, centreOf(panel::Line));
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Back));

    // The rule alone: the four dialog and clear buttons keep it as it was.
    panel::Highlight h{};
    h[panel::Rect] = true;
    for (int b : {panel::Clear, panel::LineWidth, panel::Color, panel::Opacity})
        QVERIFY(onlyHighlighted(panel::highlightAfterPress(h, centreOf(b)), panel::Rect));
    QVERIFY(onlyHighlighted(panel::highlightAfterPress(h, centreOf(panel::Quit)), panel::Quit));
}

void TestAnnotationPanel::buttonsSetTheBoardTool() {
    const QList<QPair<int, int>> table = {
        {panel::Pen, 0},  {panel::Line, 1},    {panel::Text, 5},   {panel::Triangle, 2},
        {panel::Rect, 3}, {panel::Ellipse, 4}, {panel::Eraser, 7}, {panel::Mouse, -1}};
    for (const auto& [button, tool] : table) {
        press(button);
        QCOMPARE(board->tool(), tool);
    }
    // No button chooses the arrow.
    for (int i = 0; i < panel::kButtonCount; ++i) {
        int tool = -2;
        if (panel::toolOf(i, &tool))
            QVERIFY(tool != int(ShapeKind::Arrow));
    }
    // Clear empties the board.
    board->setTool(1);
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), QPointF(1, 1),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    board->mousePressEvent(&e);
    QCOMPARE(board->shapes().size(), 1);
    press(panel::Clear);
    QVERIFY(board->shapes().isEmpty());
    QCOMPARE(board->tool(), 1);
}

void TestAnnotationPanel::onlyTheTextButtonKeepsTheTextBox() {
    openTextBox();
    press(panel::Text);
    QVERIFY(board->textBox());
    QTest::mousePress(panelWidget.get(), Qt::LeftButton, {}, QPoint(50, 100)); // no button
    QVERIFY(board->textBox());
    press(panel::Clear);
    QVERIFY(!board->textBox());

    openTextBox();
    press(panel::Pen);
    QVERIFY(!board->textBox());
    openTextBox();
    press(panel::Mouse);
    QVERIFY(!board->textBox());
}

void TestAnnotationPanel::hiddenButtonsRunOnlyTheirAction() {
    const char* names[] = {"pushButtonMouse",  "pushButtonClear",   "pushButtonPen",
                           "pushButtonLine",   "pushButtonArrow",   "pushButtonTrangle",
                           "pushButtonRect",   "pushButtonEllipse", "pushButtonLineWidth",
                           "pushButtonColor",  "pushButtonOpcity",  "pushButtonEraser",
                           "pushButtonReturn", "pushButtonQuit"};
    for (int i = 0; i < panel::kButtonCount; ++i) {
        QPushButton* b = panelWidget->hiddenButton(i);
        QVERIFY(b);
        QCOMPARE(b->objectName(), QLatin1String(names[i]));
        QVERIFY(!b->isVisible());
    }
    QCOMPARE(panelWidget->hiddenButton(4)->text(), QStringLiteral("箭头"));
    openTextBox();
    panelWidget->hiddenButton(panel::Line)->click();
    QCOMPARE(board->tool(), 1);
    QVERIFY(board->textBox()); // the slot alone does not close it
    QVERIFY(noneHighlighted(panelWidget->highlight()));
}

void TestAnnotationPanel::everyPanelImageAndCursorExists() {
    for (int i = 0; i < panel::kButtonCount; ++i) {
        for (const QString& name : {QPanel::normalImage(i), QPanel::highlightedImage(i)}) {
            const QImage img(name);
            QVERIFY2(!img.isNull(), qPrintable(name));
            QCOMPARE(img.size(), QSize(25, 25));
        }
        QVERIFY(QImage(QPanel::normalImage(i)) != QImage(QPanel::highlightedImage(i)));
    }
    QCOMPARE(QPanel::normalImage(4), QStringLiteral(":/image/mark/texticon.png"));
    QCOMPARE(QPanel::highlightedImage(10), QStringLiteral(":/image/mark/opcityon.png"));
    const QCursor pencil = QTopPlate::pencilCursor();
    QVERIFY(!pencil.pixmap().isNull());
    QCOMPARE(pencil.hotSpot(), QPoint(0, 24));
    const QCursor eraser = QTopPlate::eraserCursor();
    QVERIFY(!eraser.pixmap().isNull());
    QCOMPARE(eraser.hotSpot(), QPoint(eraser.pixmap().width() / 2, eraser.pixmap().height() / 2));
}

void TestAnnotationPanel::paintShowsTheHighlight() {
    press(panel::Rect);
    QImage img(120, 257, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    panelWidget->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRect on = panel::highlightRect(panel::Rect);
    const QRect off = panel::highlightRect(panel::Ellipse);
    QCOMPARE(qAlpha(img.pixel(60, 100)), 60); // the panel's own fill
    QVERIFY(qAlpha(img.pixel(on.topLeft())) > 150);
    QCOMPARE(qAlpha(img.pixel(off.topLeft())), 60);
    // A button image is drawn in its square.
    int inked = 0;
    const QRect square = panel::buttonRect(panel::Ellipse);
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x)
            if (qAlpha(img.pixel(x, y)) > 200)
                ++inked;
    QVERIFY(inked > 20);
}

void TestAnnotationPanel::lineWidthDialogForm() {
    QLineWidthDlg dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("QLineWidthDlg"));
    QCOMPARE(dlg.comboBoxLineWidth->count(), 17);
    QCOMPARE(dlg.comboBoxLineWidth->itemText(0), QStringLiteral("1"));
    QCOMPARE(dlg.comboBoxLineWidth->itemText(16), QStringLiteral("17"));
    QCOMPARE(dlg.lineWidth(), 5);
    QCOMPARE(dlg.comboBoxLineWidth->currentText(), QStringLiteral("5"));
    dlg.setLineWidth(9);
    QCOMPARE(dlg.comboBoxLineWidth->currentIndex(), 8);
    dlg.comboBoxLineWidth->setCurrentIndex(16);
    QCOMPARE(dlg.lineWidth(), 17);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("设置线宽"));
    dlg.applyLanguage(1);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Set line width"));
    QCOMPARE(dlg.label->text(), QStringLiteral("Line width"));
    QCOMPARE(dlg.pushButtonCancel->text(), QStringLiteral("Cancel"));
    dlg.applyLanguage(7);
    QCOMPARE(dlg.pushButtonOK->text(), QStringLiteral("OK"));
}

void TestAnnotationPanel::opacityDialogForm() {
    QSetOpcityDlg dlg;
    QCOMPARE(dlg.horizontalSliderOpcity->minimum(), 1);
    QCOMPARE(dlg.horizontalSliderOpcity->maximum(), 255);
    QCOMPARE(dlg.opacity(), 255);
    QCOMPARE(dlg.labelOpcity->text(), QStringLiteral("255"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("设置透明度"));
    dlg.horizontalSliderOpcity->setValue(100);
    QCOMPARE(dlg.labelOpcity->text(), QStringLiteral("100"));
    QCOMPARE(dlg.opacity(), 100);
    dlg.horizontalSliderOpcity->setValue(0); // cannot reach 0
    QCOMPARE(dlg.opacity(), 1);
    dlg.setOpacity(42);
    QCOMPARE(dlg.horizontalSliderOpcity->value(), 42);
    dlg.applyLanguage(0);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("设置透明度:"));
    dlg.applyLanguage(1);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Set Opcity"));
    QCOMPARE(dlg.label->text(), QStringLiteral("Opcity"));
}

void TestAnnotationPanel::cancellingTheDialogsChangesNothing() {
    openTextBox();
    press(panel::Pen);
    pen.LineWidth = 5;
    pen.Opcity = 200;
    board->setLineWidth(5);
    board->setOpacity(200);
    const QColor before = board->color();

    whenModal<QLineWidthDlg>([](QLineWidthDlg* d) {
        d->comboBoxLineWidth->setCurrentIndex(16);
        d->reject();
    });
    press(panel::LineWidth);
    whenModal<QSetOpcityDlg>([](QSetOpcityDlg* d) {
        d->horizontalSliderOpcity->setValue(9);
        d->pushButtonCancel->click();
    });
    press(panel::Opacity);
    whenModal<QColorDialog>([](QColorDialog* d) {
        d->setCurrentColor(QColor(1, 2, 3));
        d->reject();
    });
    press(panel::Color);

    QCOMPARE(pen.LineWidth, 5);
    QCOMPARE(pen.Opcity, 200);
    QCOMPARE(QColor(pen.rval, pen.gval, pen.bval), QColor(255, 0, 0));
    QCOMPARE(board->lineWidth(), 5);
    QCOMPARE(board->opacity(), 200);
    QCOMPARE(board->color(), before);
    QVERIFY(onlyHighlighted(panelWidget->highlight(), panel::Pen));
}

void TestAnnotationPanel::lineWidthDialogAccepted() {
    pen.LineWidth = 5;
    int shown = -1;
    whenModal<QLineWidthDlg>([&shown](QLineWidthDlg* d) {
        shown = d->comboBoxLineWidth->currentText().toInt();
        d->comboBoxLineWidth->setCurrentIndex(16);
        d->pushButtonOK->click();
    });
    press(panel::LineWidth);
    QCOMPARE(shown, 5);
    QCOMPARE(pen.LineWidth, 17);
    QCOMPARE(board->lineWidth(), 17);
    board->setTool(1);
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), QPointF(1, 1),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    board->mousePressEvent(&e);
    QCOMPARE(board->currentShape()->lineWidth(), 17);
}

void TestAnnotationPanel::opacityReachesTheBoardOnlyAfterOk() {
    pen.Opcity = 255;
    int boardWhileOpen = -1;
    QBasePlate* b = board.get();
    whenModal<QSetOpcityDlg>([&boardWhileOpen, b](QSetOpcityDlg* d) {
        d->horizontalSliderOpcity->setValue(100);
        boardWhileOpen = b->opacity();
        d->accept();
    });
    press(panel::Opacity);
    QCOMPARE(boardWhileOpen, 255);
    QCOMPARE(pen.Opcity, 100);
    QCOMPARE(board->opacity(), 100);
}

void TestAnnotationPanel::colourDialogAccepted() {
    pen.rval = 10;
    pen.gval = 20;
    pen.bval = 30;
    QColor initial;
    whenModal<QColorDialog>([&initial](QColorDialog* d) {
        initial = d->currentColor();
        d->setCurrentColor(QColor(40, 50, 60));
        d->accept();
    });
    press(panel::Color);
    QCOMPARE(initial, QColor(10, 20, 30));
    QCOMPARE(pen.rval, 40);
    QCOMPARE(pen.gval, 50);
    QCOMPARE(pen.bval, 60);
    QCOMPARE(board->color().rgb(), QColor(40, 50, 60).rgb());
    QVERIFY(noneHighlighted(panelWidget->highlight()));
}

void TestAnnotationPanel::dialogsSpeakTheSettingsLanguage() {
    pen.Language = 1;
    QString width, opacity;
    whenModal<QLineWidthDlg>([&width](QLineWidthDlg* d) {
        width = d->windowTitle();
        d->reject();
    });
    press(panel::LineWidth);
    whenModal<QSetOpcityDlg>([&opacity](QSetOpcityDlg* d) {
        opacity = d->pushButtonOK->text();
        d->reject();
    });
    press(panel::Opacity);
    QCOMPARE(width, QStringLiteral("Set line width"));
    QCOMPARE(opacity, QStringLiteral("OK"));
}

void TestAnnotationPanel::topPlateCursorPerButton() {
    QTopPlate plate;
    QCOMPARE(plate.objectName(), QStringLiteral("QTopPlate"));
    for (int i : {0, 1, 8, 9, 10, 12}) {
        plate.setCursor(Qt::WaitCursor);
        plate.setToolCursor(i);
        QCOMPARE(plate.cursor().shape(), Qt::ArrowCursor);
    }
    for (int i : {3, 5, 6, 7}) {
        plate.setToolCursor(i);
        QCOMPARE(plate.cursor().shape(), Qt::CrossCursor);
    }
    plate.setToolCursor(4);
    QCOMPARE(plate.cursor().shape(), Qt::IBeamCursor);
    plate.setToolCursor(2);
    QCOMPARE(plate.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(plate.cursor().hotSpot(), QPoint(0, 24));
    plate.setToolCursor(11);
    QCOMPARE(plate.cursor().shape(), Qt::BitmapCursor);
    QVERIFY(plate.cursor().hotSpot() != QPoint(0, 24));
    plate.setCursor(Qt::WaitCursor);
    plate.setToolCursor(13);
    QCOMPARE(plate.cursor().shape(), Qt::WaitCursor);
}

void TestAnnotationPanel::topPlateForwardsAndRaisesThePanel() {
    QVisualizer window;
    window.resize(800, 600);
    window.show();
    QTopPlate* plate = window.topPlate;
    QBasePlate* b = window.board;
    QCOMPARE(plate->board(), b);
    QCOMPARE(plate->panel(), window.panel);

    b->setTool(3);
    plate->setToolCursor(6);
    window.panel->lower(); // as if something had come over it
    QTest::mousePress(plate, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(plate, QPoint(350, 340));
    QCOMPARE(plate->cursor().shape(), Qt::CrossCursor); // a rectangle leaves it
    QTest::mouseRelease(plate, Qt::LeftButton, {}, QPoint(400, 380));
    QCOMPARE(b->shapes().size(), 1);
    QCOMPARE(b->currentShape()->start(), QPoint(300, 300));
    QCOMPARE(b->currentShape()->end(), QPoint(400, 380));
    QCOMPARE(window.childAt(QPoint(20, 300)), static_cast<QWidget*>(window.panel));

    b->setTool(0);
    QTest::mousePress(plate, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseMove(plate, QPoint(320, 110));
    QCOMPARE(plate->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(plate->cursor().hotSpot(), QPoint(0, 24));
    QTest::mouseRelease(plate, Qt::LeftButton, {}, QPoint(320, 110));

    b->setTool(-1);
    QTest::mousePress(plate, Qt::LeftButton, {}, QPoint(500, 100));
    QTest::mouseMove(plate, QPoint(510, 110));
    QCOMPARE(plate->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseRelease(plate, Qt::LeftButton, {}, QPoint(510, 110));
    QCOMPARE(b->shapes().size(), 2);
}

void TestAnnotationPanel::whiteboardLayersAndLayout() {
    QVisualizer window;
    QCOMPARE(window.objectName(), QStringLiteral("QVisualizer"));
    // Before the first resize the panel has its provisional place.
    QCOMPARE(window.panel->geometry(), QRect(0, 100, 80, 100));
    QVERIFY(!window.panel->isWindow() && !window.board->isWindow() && !window.topPlate->isWindow());
    window.resize(1280, 800);
    window.show();
    QCOMPARE(window.panel->geometry(), QRect(0, 272, 120, 257));
    QCOMPARE(window.board->geometry(), QRect(0, 0, 1280, 800));
    QCOMPARE(window.topPlate->geometry(), QRect(0, 0, 1280, 800));
    QVERIFY(window.board->isVisible() && window.topPlate->isVisible() && window.panel->isVisible());
    // Bottom to top: board, top plate, panel.
    const QObjectList order = window.children();
    QVERIFY(order.indexOf(window.board) < order.indexOf(window.topPlate));
    QVERIFY(order.indexOf(window.topPlate) < order.indexOf(window.panel));
    QCOMPARE(window.childAt(QPoint(600, 400)), static_cast<QWidget*>(window.topPlate));
    // The layers must not be native windows, or the picture would cover them.
    QVERIFY(!window.board->testAttribute(Qt::WA_NativeWindow));
    QVERIFY(!window.topPlate->testAttribute(Qt::WA_NativeWindow));

    window.hide();
    QVERIFY(window.panel->isHidden() && window.topPlate->isHidden() && window.board->isHidden());
    window.show();
    QVERIFY(window.panel->isVisible());
}

void TestAnnotationPanel::undoShortcutRemovesTheNewestShape() {
    QVisualizer window;
    window.resize(640, 480);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.board->setTool(1);
    QTest::mousePress(window.topPlate, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseRelease(window.topPlate, Qt::LeftButton, {}, QPoint(350, 150));
    QTest::mousePress(window.topPlate, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseRelease(window.topPlate, Qt::LeftButton, {}, QPoint(350, 250));
    QCOMPARE(window.board->shapes().size(), 2);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.board->shapes().size(), 1);
    QCOMPARE(window.board->shapes().first()->start(), QPoint(300, 100));
}

QTEST_MAIN(TestAnnotationPanel)
#include "tst_annotation_panel.moc"
