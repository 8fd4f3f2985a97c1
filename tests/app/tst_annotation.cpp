// The annotation shapes, drawn into images and read back pixel by pixel, and
// the drawing board's press, move and release handling per tool, with its
// text box.

#include "AppTestEnv.h"
#include "annotation/QBasePlate.h"
#include "annotation/ShapeGeometry.h"
#include "annotation/Shapes.h"
#include "annotation/TextBoxGeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

QImage blank(int w = 200, int h = 200, QColor fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

QImage render(AbstractShape& shape, QImage img = blank()) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    shape.paint(p);
    return img;
}

int alphaAt(const QImage& img, int x, int y) {
    return qAlpha(img.pixel(x, y));
}

bool inked(const QImage& img, int x, int y) {
    return alphaAt(img, x, y) > 100;
}

// Ink anywhere in the 3 x 3 pixels around (x, y).
bool inkNear(const QImage& img, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (inked(img, x + dx, y + dy))
                return true;
    return false;
}

int inkCount(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (alphaAt(img, x, y) > 0)
                ++n;
    return n;
}

// Rows that carry ink.
QPair<int, int> inkRows(const QImage& img) {
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (alphaAt(img, x, y) > 0) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

template <typename T> std::unique_ptr<T> twoPoint(QPoint a, QPoint b, int width = 2) {
    auto s = std::make_unique<T>();
    s->setStart(a);
    s->dragTo(b);
    s->setEnd(b);
    s->setLineWidth(width);
    return s;
}

QMouseEvent mouse(QEvent::Type type, QPoint p) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    return QMouseEvent(type, QPointF(p), QPointF(p), QPointF(p), Qt::LeftButton, held,
                       Qt::NoModifier);
}

void press(QBasePlate& b, QPoint p) {
    QMouseEvent e = mouse(QEvent::MouseButtonPress, p);
    b.mousePressEvent(&e);
}
void move(QBasePlate& b, QPoint p) {
    QMouseEvent e = mouse(QEvent::MouseMove, p);
    b.mouseMoveEvent(&e);
}
void release(QBasePlate& b, QPoint p) {
    QMouseEvent e = mouse(QEvent::MouseButtonRelease, p);
    b.mouseReleaseEvent(&e);
}

} // namespace

class TestAnnotation : public QObject {
    Q_OBJECT
    AppTestEnv env;
    Settings pen;

    // A board with its own pen settings: width 3, opacity 200, blue.
    std::unique_ptr<QBasePlate> board() {
        auto b = std::make_unique<QBasePlate>();
        pen = Settings();
        pen.LineWidth = 3;
        pen.Opcity = 200;
        pen.rval = 0;
        pen.gval = 0;
        pen.bval = 255;
        b->setSettings(&pen);
        b->loadPenSettings();
        return b;
    }

private slots:
    void init() { env.setUp(); }

    // Shapes.
    void newShapesHaveTheirInitialValues();
    void factoryMakesEveryKind();
    void arrowOfNinePixelsDrawsNothingAndOfTenDrawsShaftAndHead();
    void arrowDirections_data();
    void arrowDirections();
    void arrowHeadLiesAtTheEndPoint_data();
    void arrowHeadLiesAtTheEndPoint();
    void rectangleAndEllipseAreNotNormalised();
    void triangleDraggedUpwardHasItsApexBelow();
    void triangleMiddleTruncatesTowardZeroAndCollapsesOnOneRow();
    void eraserClearsA40PixelDiscAroundEachPoint();
    void emptyCurveEraserAndTextDrawNothing();
    void textWithLineBreaksDrawsSeveralLines();
    void alphaZeroIsInvisibleAnd255Opaque();

    // Board.
    void boardStartsWithThePenSettings();
    void pressMoveReleaseMakesOneShapePerTool_data();
    void pressMoveReleaseMakesOneShapePerTool();
    void eraserAndTextTakeOnlyTheirOwnValues();
    void noToolDrawsNothingAndClosesTheTextBox();
    void pressAndReleaseWithoutMovement();
    void newSettingsReachOnlyLaterShapes();
    void textBoxOpensAtThePressPoint();
    void textBoxGrowsWithTheTextAndNeverNarrowerThan100();
    void textBoxFitsItsTextUnderTheSkin();
    void textOffsetArithmetic();
    void pressingAgainWithTextKeepsTheOldText();
    void anotherToolClosesTheTextBoxAndTheTextStays();
    void clearKeepsTheCurrentShapeAndTheTextBox();
    void hidingTheBoardClosesTheTextBox();
    void undoRemovesTheNewestShape();
    void eraserClearsOnlyEarlierShapesOnTheLayer();
    void textBoxInsideAParentLiesAboveEarlierSiblings();
};

void TestAnnotation::newShapesHaveTheirInitialValues() {
    Line line;
    QCOMPARE(line.start(), QPoint(0, 0));
    QCOMPARE(line.end(), QPoint(0, 0));
    QCOMPARE(line.lineWidth(), 2);
    QCOMPARE(line.color(), QColor(Qt::red));
    QCOMPARE(line.alpha(), 255);
    QCOMPARE(line.shapeType(), 0);
    QCOMPARE(line.storedBrush().style(), Qt::NoBrush);
    ShapeText text;
    QVERIFY(text.text().isEmpty());
    QCOMPARE(text.textRect(), QRect(QPoint(0, 0), QPoint(-1, -1)));
    QVERIFY(Curve().points().isEmpty());
    QVERIFY(!line.isVisible());
}

void TestAnnotation::factoryMakesEveryKind() {
    const char* classes[] = {"Curve",      "Line",      "Trangle", "Orvanta::Rectangle",
                             "OrvEllipse", "ShapeText", "Arrow",   "Eraser"};
    for (int kind = 0; kind < 8; ++kind) {
        std::unique_ptr<AbstractShape> s(createShape(kind));
        QVERIFY(s);
        QCOMPARE(s->metaObject()->className(), classes[kind]);
    }
    QVERIFY(!createShape(-1));
    QVERIFY(!createShape(8));

    // Two-point shapes follow the pointer; trails collect it; text ignores it.
    Line line;
    line.dragTo(QPoint(5, 6));
    line.dragTo(QPoint(7, 8));
    QCOMPARE(line.end(), QPoint(7, 8));
    Eraser eraser;
    eraser.dragTo(QPoint(1, 2));
    eraser.dragTo(QPoint(3, 4));
    QCOMPARE(eraser.points(), (QVector<QPoint>{{1, 2}, {3, 4}}));
    ShapeText text;
    text.dragTo(QPoint(9, 9));
    QCOMPARE(text.end(), QPoint(0, 0));
}

void TestAnnotation::arrowOfNinePixelsDrawsNothingAndOfTenDrawsShaftAndHead() {
    QVERIFY(!shapes::arrowGeometry({20, 20}, {29, 20}).visible);
    QVERIFY(!shapes::arrowGeometry({0, 0}, {7, 7}).visible); // 9.9 is 9
    QVERIFY(shapes::arrowGeometry({0, 0}, {6, 8}).visible);  // exactly 10
    QCOMPARE(shapes::arrowGeometry({0, 0}, {6, 8}).length, 10);

    auto nine = twoPoint<Arrow>({20, 50}, {29, 50}, 3);
    QCOMPARE(inkCount(render(*nine)), 0);

    auto ten = twoPoint<Arrow>({20, 50}, {30, 50}, 3);
    const QImage img = render(*ten);
    QVERIFY(inked(img, 25, 50));   // shaft
    QVERIFY(inkNear(img, 22, 46)); // barbs 8 back, 4 to each side
    QVERIFY(inkNear(img, 22, 54));
    QVERIFY(!inkNear(img, 38, 50)); // nothing past the tip
    QVERIFY(!inkNear(img, 25, 40));
}

void TestAnnotation::arrowDirections_data() {
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<int>("angle");
    QTest::newRow("right") << QPoint(40, 0) << 0;
    QTest::newRow("down") << QPoint(0, 40) << 90;
    QTest::newRow("left") << QPoint(-40, 0) << 180;
    QTest::newRow("up") << QPoint(0, -40) << 270;
    QTest::newRow("down-right") << QPoint(10, 10) << 45;
    QTest::newRow("down-left") << QPoint(-10, 10) << 135;
    QTest::newRow("up-left") << QPoint(-10, -10) << 225;
    QTest::newRow("up-right") << QPoint(10, -10) << 315;
    QTest::newRow("truncated") << QPoint(3, 10) << 73;       // 73.3
    QTest::newRow("truncated-neg") << QPoint(10, -3) << 344; // -16.7 -> -16
}

void TestAnnotation::arrowDirections() {
    QFETCH(QPoint, delta);
    QFETCH(int, angle);
    const QPoint start(100, 100);
    QCOMPARE(shapes::arrowGeometry(start, start + delta).angle, angle);
}

void TestAnnotation::arrowHeadLiesAtTheEndPoint_data() {
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QPoint>("barb1");
    QTest::addColumn<QPoint>("barb2");
    QTest::addColumn<QPoint>("behind"); // beyond the start, never inked
    QTest::newRow("right") << QPoint(140, 100) << QPoint(132, 96) << QPoint(132, 104)
                           << QPoint(90, 100);
    QTest::newRow("down") << QPoint(100, 140) << QPoint(104, 132) << QPoint(96, 132)
                          << QPoint(100, 90);
    QTest::newRow("left") << QPoint(60, 100) << QPoint(68, 104) << QPoint(68, 96)
                          << QPoint(110, 100);
    QTest::newRow("up") << QPoint(100, 60) << QPoint(96, 68) << QPoint(104, 68) << QPoint(100, 110);
}

void TestAnnotation::arrowHeadLiesAtTheEndPoint() {
    QFETCH(QPoint, end);
    QFETCH(QPoint, barb1);
    QFETCH(QPoint, barb2);
    QFETCH(QPoint, behind);
    auto arrow = twoPoint<Arrow>({100, 100}, end, 3);
    const QImage img = render(*arrow);
    QVERIFY(inkNear(img, barb1.x(), barb1.y()));
    QVERIFY(inkNear(img, barb2.x(), barb2.y()));
    QVERIFY(inked(img, (100 + end.x()) / 2, (100 + end.y()) / 2));
    QVERIFY(!inkNear(img, behind.x(), behind.y()));
    // No barbs at the start: the point 8 along and 4 aside of it is clear.
    const QPoint startBarb = QPoint(100, 100) + (barb1 - end) + (end - QPoint(100, 100)) / 5;
    QVERIFY(!inkNear(img, startBarb.x(), startBarb.y()));
}

void TestAnnotation::rectangleAndEllipseAreNotNormalised() {
    // Dragged from bottom-right to top-left: QRect(start, end) as it is, which
    // covers other pixels than the same corners taken the usual way round.
    const QPoint start(150, 150), end(50, 80);
    const QPen stroke(QBrush(Qt::red), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    auto drawn = [&](auto drawCall) {
        QImage img = blank();
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(stroke);
        drawCall(p);
        return img;
    };
    auto rect = twoPoint<Orvanta::Rectangle>(start, end, 1);
    const QImage shape = render(*rect);
    QVERIFY(inkCount(shape) > 0);
    QCOMPARE(shape, drawn([&](QPainter& p) { p.drawRect(QRect(start, end)); }));
    QVERIFY(shape != drawn([&](QPainter& p) { p.drawRect(QRect(end, start)); }));

    auto ellipse = twoPoint<OrvEllipse>(start, end, 1);
    const QImage oval = render(*ellipse);
    QVERIFY(inkCount(oval) > 0);
    QCOMPARE(oval, drawn([&](QPainter& p) { p.drawEllipse(QRect(start, end)); }));
    QVERIFY(oval != drawn([&](QPainter& p) { p.drawEllipse(QRect(end, start)); }));
}

void TestAnnotation::triangleDraggedUpwardHasItsApexBelow() {
    // From (100, 150) up to (40, 50): apex at (70, 150), base on row 50.
    auto tri = twoPoint<Trangle>({100, 150}, {40, 50}, 3);
    const QImage img = render(*tri);
    QVERIFY(inkNear(img, 70, 149));
    QVERIFY(inked(img, 55, 50));
    QVERIFY(inked(img, 85, 50));
    QVERIFY(!inkNear(img, 45, 150)); // no base below
    QVERIFY(!inkNear(img, 95, 150));
    QVERIFY(inkNear(img, 85, 100)); // sides: apex to (100, 50) and to (40, 50)
    QVERIFY(inkNear(img, 55, 100));
}

void TestAnnotation::triangleMiddleTruncatesTowardZeroAndCollapsesOnOneRow() {
    const auto lines = shapes::triangleLines(QPoint(-7, 0), QPoint(0, 10));
    QCOMPARE(lines[0].p1(), QPoint(-3, 0));
    QCOMPARE(lines[2], QLine(-7, 10, 0, 10));

    auto flat = twoPoint<Trangle>({20, 50}, {120, 50}, 1);
    const QImage img = render(*flat);
    const QPair<int, int> rows = inkRows(img);
    QVERIFY(rows.first >= 49 && rows.second <= 51);
    QVERIFY(inked(img, 70, 50));
}

void TestAnnotation::eraserClearsA40PixelDiscAroundEachPoint() {
    Eraser eraser;
    eraser.setColor(Qt::blue);
    eraser.setAlpha(0); // plays no part
    eraser.dragTo(QPoint(100, 100));
    QImage img = blank(200, 200, Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        eraser.paint(p);
        QCOMPARE(p.compositionMode(), QPainter::CompositionMode_SourceOver);
    }
    QCOMPARE(alphaAt(img, 100, 100), 0);
    // Covered: x - 20 .. x + 19 and y - 20 .. y + 19.
    QVERIFY(alphaAt(img, 80, 100) < 40);
    QVERIFY(alphaAt(img, 119, 100) < 40);
    QVERIFY(alphaAt(img, 100, 80) < 40);
    QVERIFY(alphaAt(img, 100, 119) < 40);
    QCOMPARE(alphaAt(img, 79, 100), 255);
    QCOMPARE(alphaAt(img, 120, 100), 255);
    QCOMPARE(alphaAt(img, 100, 79), 255);
    QCOMPARE(alphaAt(img, 100, 120), 255);
    // A disc, not a square.
    QCOMPARE(alphaAt(img, 81, 81), 255);
    QCOMPARE(shapes::eraserSquare(QPoint(100, 100)), QRect(QPoint(80, 80), QPoint(119, 119)));
}

void TestAnnotation::emptyCurveEraserAndTextDrawNothing() {
    Curve curve;
    curve.setLineWidth(5);
    QCOMPARE(inkCount(render(curve)), 0);

    const QImage white = blank(200, 200, Qt::white);
    Eraser eraser;
    QCOMPARE(render(eraser, white), white);

    ShapeText text;
    text.setRect(QRect(0, 0, 200, 200));
    QCOMPARE(inkCount(render(text)), 0);

    curve.dragTo({10, 10});
    curve.dragTo({100, 10});
    curve.dragTo({100, 100});
    const QImage stroke = render(curve);
    QVERIFY(inked(stroke, 50, 10));
    QVERIFY(inked(stroke, 100, 50));
    QVERIFY(!inkNear(stroke, 50, 50)); // open: no closing line
}

void TestAnnotation::textWithLineBreaksDrawsSeveralLines() {
    ShapeText one;
    one.setRect(QRect(0, 0, 400, 400));
    one.setText(QStringLiteral("A"));
    const QPair<int, int> single = inkRows(render(one, blank(400, 400)));
    QVERIFY(single.first >= 0);

    ShapeText two;
    two.setRect(QRect(0, 0, 400, 400));
    two.setText(QStringLiteral("A\nA"));
    const QPair<int, int> both = inkRows(render(two, blank(400, 400)));
    QCOMPARE(both.first, single.first); // starts at the top
    const int oneHeight = single.second - single.first;
    QVERIFY(both.second - both.first > 2 * oneHeight);

    // Left-aligned at the rectangle's left edge.
    ShapeText moved;
    moved.setRect(QRect(150, 20, 200, 300));
    moved.setText(QStringLiteral("A"));
    const QImage img = render(moved, blank(400, 400));
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 150; ++x)
            QVERIFY(alphaAt(img, x, y) == 0);
}

void TestAnnotation::alphaZeroIsInvisibleAnd255Opaque() {
    auto faint = twoPoint<Line>({10, 100}, {190, 100}, 4);
    faint->setAlpha(0);
    QCOMPARE(inkCount(render(*faint)), 0);
    QCOMPARE(faint->color().alpha(), 0); // the colour keeps the alpha

    auto solid = twoPoint<Line>({10, 100}, {190, 100}, 4);
    solid->setColor(QColor(0, 128, 0));
    const QImage img = render(*solid);
    QCOMPARE(img.pixelColor(100, 100).alpha(), 255);
    QCOMPARE(img.pixelColor(100, 100).green(), 128);

    ShapeText text;
    text.setRect(QRect(0, 0, 200, 200));
    text.setText(QStringLiteral("A"));
    text.setAlpha(0);
    QCOMPARE(inkCount(render(text)), 0);
}

void TestAnnotation::boardStartsWithThePenSettings() {
    auto b = board();
    QCOMPARE(b->tool(), 0);
    QCOMPARE(b->lineWidth(), 3);
    QCOMPARE(b->opacity(), 200);
    QCOMPARE(b->color(), QColor(0, 0, 255, 255));
    QVERIFY(!b->isDrawing());
    QVERIFY(!b->currentShape());
    QVERIFY(b->shapes().isEmpty());
    QVERIFY(b->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(b->objectName(), QStringLiteral("QBasePlate"));
}

void TestAnnotation::pressMoveReleaseMakesOneShapePerTool_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<QByteArray>("className");
    QTest::newRow("pen") << 0 << QByteArray("Curve");
    QTest::newRow("line") << 1 << QByteArray("Line");
    QTest::newRow("triangle") << 2 << QByteArray("Trangle");
    QTest::newRow("rect") << 3 << QByteArray("Orvanta::Rectangle");
    QTest::newRow("ellipse") << 4 << QByteArray("OrvEllipse");
    QTest::newRow("arrow") << 6 << QByteArray("Arrow");
}

void TestAnnotation::pressMoveReleaseMakesOneShapePerTool() {
    QFETCH(int, tool);
    QFETCH(QByteArray, className);
    auto b = board();
    b->setTool(tool);
    press(*b, {10, 10});
    // In the list from the press on.
    QCOMPARE(b->shapes().size(), 1);
    AbstractShape* s = b->currentShape();
    QCOMPARE(b->shapes().first(), s);
    QVERIFY(b->isDrawing());
    QCOMPARE(QByteArray(s->metaObject()->className()), className);
    QCOMPARE(s->shapeType(), tool);
    QCOMPARE(s->lineWidth(), 3);
    QCOMPARE(s->alpha(), 200);
    QCOMPARE(s->color().rgb(), QColor(0, 0, 255).rgb());
    QCOMPARE(s->start(), QPoint(10, 10));

    move(*b, {20, 20});
    move(*b, {30, 40});
    if (tool == 0)
        QCOMPARE(static_cast<Curve*>(s)->points(), (QVector<QPoint>{{20, 20}, {30, 40}}));
    else
        QCOMPARE(s->end(), QPoint(30, 40));
    release(*b, {50, 60});
    QVERIFY(!b->isDrawing());
    QCOMPARE(s->end(), QPoint(50, 60));
    // Moves after the release change nothing.
    move(*b, {70, 70});
    if (tool == 0)
        QCOMPARE(static_cast<Curve*>(s)->points().size(), 2);
    else
        QCOMPARE(s->end(), QPoint(50, 60));
    QCOMPARE(b->shapes().size(), 1);
}

void TestAnnotation::eraserAndTextTakeOnlyTheirOwnValues() {
    auto b = board();
    b->setTool(7);
    press(*b, {5, 5});
    AbstractShape* e = b->currentShape();
    QCOMPARE(e->shapeType(), 7);
    QCOMPARE(e->lineWidth(), 2);
    QCOMPARE(e->alpha(), 255);
    QCOMPARE(e->color(), QColor(Qt::red));
    QCOMPARE(b->cursor().shape(), Qt::BitmapCursor);
    release(*b, {5, 5});

    b->setTool(5);
    press(*b, {40, 40});
    AbstractShape* t = b->currentShape();
    QCOMPARE(t->shapeType(), 5);
    QCOMPARE(t->lineWidth(), 2);
    QCOMPARE(t->alpha(), 200);
    QCOMPARE(t->color().rgb(), QColor(0, 0, 255).rgb());
    QCOMPARE(b->shapes().size(), 2);
}

void TestAnnotation::noToolDrawsNothingAndClosesTheTextBox() {
    auto b = board();
    b->setTool(5);
    press(*b, {40, 40});
    release(*b, {40, 40});
    QVERIFY(b->textBox());
    b->setTool(-1);
    press(*b, {60, 60});
    QVERIFY(!b->textBox());
    QVERIFY(!b->textEdit());
    QVERIFY(!b->currentShape());
    QVERIFY(!b->isDrawing());
    QCOMPARE(b->shapes().size(), 1);
    move(*b, {70, 70});
    release(*b, {80, 80});
    QCOMPARE(b->shapes().size(), 1);
}

void TestAnnotation::pressAndReleaseWithoutMovement() {
    auto b = board();
    press(*b, {30, 30});
    release(*b, {30, 30});
    auto* c = static_cast<Curve*>(b->currentShape());
    QCOMPARE(c->start(), c->end());
    QVERIFY(c->points().isEmpty());
    QCOMPARE(inkCount(b->renderShapes(QSize(100, 100), QTransform())), 0);
}

void TestAnnotation::newSettingsReachOnlyLaterShapes() {
    auto b = board();
    b->setTool(1);
    press(*b, {0, 0});
    release(*b, {10, 10});
    AbstractShape* first = b->currentShape();
    b->setLineWidth(17);
    b->setOpacity(20);
    b->setColor(QColor(1, 2, 3));
    QCOMPARE(first->lineWidth(), 3);
    QCOMPARE(first->alpha(), 200);
    press(*b, {0, 0});
    release(*b, {10, 10});
    QCOMPARE(b->currentShape()->lineWidth(), 17);
    QCOMPARE(b->currentShape()->alpha(), 20);
    QCOMPARE(b->currentShape()->color().rgb(), QColor(1, 2, 3).rgb());
}

void TestAnnotation::textBoxOpensAtThePressPoint() {
    auto b = board();
    b->setTool(5);
    press(*b, {100, 60});
    QWidget* box = b->textBox();
    QTextEdit* edit = b->textEdit();
    QVERIFY(box && edit);
    QCOMPARE(edit->parentWidget(), box);
    QCOMPARE(box->geometry(), QRect(98, 58, 100, 30));
    QCOMPARE(edit->geometry(), QRect(0, 0, 100, 30));
    QVERIFY(box->isVisible() && edit->isVisible());
    QVERIFY(box->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(edit->font().pointSize(), 50);
    QCOMPARE(edit->lineWrapMode(), QTextEdit::NoWrap);
    QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(edit->textColor(), QColor(100, 200, 30));
    auto* text = static_cast<ShapeText*>(b->currentShape());
    QCOMPARE(text->textRect(), QRect(100, 60, 100, 30));
    QVERIFY(text->text().isEmpty());
}

void TestAnnotation::textBoxGrowsWithTheTextAndNeverNarrowerThan100() {
    auto b = board();
    b->setTool(5);
    press(*b, {100, 60});
    QTextEdit* edit = b->textEdit();
    auto* text = static_cast<ShapeText*>(b->currentShape());

    edit->setPlainText(QStringLiteral("W"));
    QCOMPARE(text->text(), QStringLiteral("W"));
    QCOMPARE(b->textBox()->width(), 100);
    const QSize expected = textbox::editSize(edit->document()->size().width(),
                                             edit->document()->size().height(), edit->frameWidth());
    QCOMPARE(edit->size(), expected);
    QCOMPARE(b->textBox()->size(), expected);
    QCOMPARE(edit->minimumSize(), edit->maximumSize()); // fixed

    edit->setPlainText(QStringLiteral("WWWWWWWWWW\nline two"));
    const QRect box = b->textBox()->geometry();
    QVERIFY(box.width() > 100);
    QVERIFY(box.height() > 60);
    QCOMPARE(box.topLeft(), QPoint(98, 58));       // grows right and down
    QCOMPARE(text->textRect().size(), box.size()); // the box, moved onto the edit's text
    QCOMPARE(text->text(), QStringLiteral("WWWWWWWWWW\nline two"));

    edit->setPlainText(QStringLiteral("i"));
    QCOMPARE(b->textBox()->width(), 100);
}

void TestAnnotation::textBoxFitsItsTextUnderTheSkin() {
    QFile skin(QStringLiteral(":/image/chocolate.css"));
    QVERIFY(skin.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromLatin1(skin.readAll()));
    auto b = board();
    b->setTool(5);
    press(*b, {100, 60});
    QTextEdit* edit = b->textEdit();
    edit->setPlainText(QStringLiteral("Wide enough text"));
    QVERIFY(b->textBox()->width() > 100);
    QVERIFY(!edit->horizontalScrollBar()->isVisible());
    QCOMPARE(edit->viewport()->width(), int(edit->document()->size().width()));
    // The typed text starts 6 pixels into the box, where the text shape
    // paints it (its rectangle starts at the box's left + 6).
    QCOMPARE(edit->viewport()->x() + int(edit->document()->documentMargin()), 6);

    // The painted copy lies on the edit's text, not beside or under it.
    const auto ink = [](const QImage& img, auto isText) {
        QRect r;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (isText(img.pixelColor(x, y)))
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    const QImage edited = edit->grab().toImage();
    const QRect editInk = ink(edited, [](const QColor& c) {
        return c.green() > 120 && c.red() < 160 && c.blue() < 110; // the green text colour
    });
    QImage painted(edited.size(), QImage::Format_ARGB32);
    painted.fill(Qt::white);
    {
        QPainter p(&painted);
        p.translate(-b->textBox()->geometry().topLeft());
        b->currentShape()->paint(p);
    }
    const QRect paintInk =
        ink(painted, [](const QColor& c) { return c.blue() > 150 && c.red() < 200; });
    QVERIFY(!editInk.isEmpty());
    QVERIFY2((editInk.topLeft() - paintInk.topLeft()).manhattanLength() <= 3,
             qPrintable(QStringLiteral("edit text at %1,%2, painted at %3,%4")
                            .arg(editInk.x())
                            .arg(editInk.y())
                            .arg(paintInk.x())
                            .arg(paintInk.y())));
    qApp->setStyleSheet(QString());
}

void TestAnnotation::textOffsetArithmetic() {
    QCOMPARE(textbox::textOffset(6.0, 63.4, 57.0), QPoint(6, 6));
    QCOMPARE(textbox::textOffset(6.4, 40.0, 44.6), QPoint(6, -5));
    QCOMPARE(textbox::editSize(40.9, 30.7, 2), QSize(100, 34));
    QCOMPARE(textbox::editSize(120.9, 80.2, 3), QSize(126, 86));
    QCOMPARE(textbox::shapeRect(QRect(10, 20, 100, 30), QPoint(6, 4)), QRect(16, 24, 100, 30));
}

void TestAnnotation::pressingAgainWithTextKeepsTheOldText() {
    auto b = board();
    b->setTool(5);
    press(*b, {100, 60});
    release(*b, {100, 60});
    b->textEdit()->setPlainText(QStringLiteral("first"));
    auto* first = static_cast<ShapeText*>(b->currentShape());
    QWidget* oldBox = b->textBox();
    QPointer<QWidget> oldBoxGuard(oldBox);

    press(*b, {300, 200});
    QVERIFY(oldBoxGuard.isNull()); // the old box is gone
    QVERIFY(b->textBox());
    QCOMPARE(b->textBox()->geometry(), QRect(298, 198, 100, 30));
    QVERIFY(b->textEdit()->toPlainText().isEmpty());
    QCOMPARE(b->shapes().size(), 2);
    QCOMPARE(b->shapes().first(), first);
    QCOMPARE(first->text(), QStringLiteral("first"));
    QVERIFY(b->currentShape() != first);
}

void TestAnnotation::anotherToolClosesTheTextBoxAndTheTextStays() {
    auto b = board();
    b->setTool(5);
    press(*b, {100, 60});
    release(*b, {100, 60});
    b->textEdit()->setPlainText(QStringLiteral("kept"));
    auto* text = static_cast<ShapeText*>(b->currentShape());
    b->setTool(1);
    press(*b, {10, 10});
    QVERIFY(!b->textBox());
    QVERIFY(!b->textEdit());
    QCOMPARE(b->shapes().size(), 2);
    QCOMPARE(text->text(), QStringLiteral("kept"));
    QVERIFY(inkCount(b->renderShapes(QSize(400, 300), QTransform())) > 0);
}

void TestAnnotation::clearKeepsTheCurrentShapeAndTheTextBox() {
    auto b = board();
    b->setTool(1);
    press(*b, {0, 0});
    release(*b, {50, 50});
    b->setTool(5);
    press(*b, {100, 60});
    AbstractShape* current = b->currentShape();
    b->clear();
    QVERIFY(b->shapes().isEmpty());
    QVERIFY(b->textBox());
    QCOMPARE(b->currentShape(), current);
    QCOMPARE(current->shapeType(), 5);                // still readable
    b->textEdit()->setPlainText(QStringLiteral("x")); // still edits it safely
    QCOMPARE(inkCount(b->renderShapes(QSize(400, 300), QTransform())), 0);

    // A later press replaces the cleared current shape.
    b->setTool(0);
    press(*b, {5, 5});
    QCOMPARE(b->shapes().size(), 1);
    QVERIFY(!b->textBox());
}

void TestAnnotation::hidingTheBoardClosesTheTextBox() {
    auto b = board();
    b->show();
    b->setTool(5);
    press(*b, {100, 60});
    QVERIFY(b->textBox());
    b->hide();
    QVERIFY(!b->textBox());
    QVERIFY(!b->textEdit());
    QCOMPARE(b->shapes().size(), 1);
}

void TestAnnotation::undoRemovesTheNewestShape() {
    auto b = board();
    QVERIFY(!b->removeLastShape());
    b->setTool(1);
    press(*b, {0, 0});
    release(*b, {10, 10});
    AbstractShape* first = b->currentShape();
    press(*b, {20, 20});
    release(*b, {30, 30});
    AbstractShape* second = b->currentShape();
    QVERIFY(b->removeLastShape());
    QCOMPARE(b->shapes(), QList<AbstractShape*>{first});
    QCOMPARE(b->currentShape(), second); // still valid while current
    QCOMPARE(second->end(), QPoint(30, 30));
    QVERIFY(b->removeLastShape());
    QVERIFY(b->shapes().isEmpty());
    QVERIFY(!b->removeLastShape());

    // Undoing the text being typed closes its box.
    b->setTool(5);
    press(*b, {100, 60});
    QVERIFY(b->removeLastShape());
    QVERIFY(!b->textBox());
}

void TestAnnotation::eraserClearsOnlyEarlierShapesOnTheLayer() {
    auto b = board();
    b->setOpacity(255);
    b->setLineWidth(6);
    b->setTool(1);
    press(*b, {0, 50});
    release(*b, {199, 50});
    b->setTool(7);
    press(*b, {100, 50});
    move(*b, {100, 50});
    release(*b, {100, 50});
    b->setTool(1);
    press(*b, {100, 0});
    release(*b, {100, 199});
    const QImage layer = b->renderShapes(QSize(200, 200), QTransform());
    QCOMPARE(alphaAt(layer, 90, 50), 0);    // the first line is erased
    QCOMPARE(alphaAt(layer, 30, 50), 255);  // outside the disc it stays
    QCOMPARE(alphaAt(layer, 100, 50), 255); // the later line paints over
    QCOMPARE(alphaAt(layer, 150, 150), 0);  // transparent elsewhere
    // Scaled onto another resolution.
    const QImage doubled = b->renderShapes(QSize(400, 400), QTransform::fromScale(2, 2));
    QCOMPARE(alphaAt(doubled, 60, 100), 255);
    QCOMPARE(alphaAt(doubled, 180, 100), 0);
}

void TestAnnotation::textBoxInsideAParentLiesAboveEarlierSiblings() {
    QWidget host;
    host.resize(600, 400);
    auto* b = new QBasePlate(&host);
    b->setGeometry(0, 0, 600, 400);
    auto* plate = new QWidget(&host);
    plate->setGeometry(0, 0, 600, 400);
    host.show();
    b->setTool(5);
    press(*b, {100, 60});
    QWidget* box = b->textBox();
    QCOMPARE(box->parentWidget(), &host);
    QVERIFY(!box->isWindow());
    QCOMPARE(box->geometry(), QRect(98, 58, 100, 30));
    QWidget* top = host.childAt(QPoint(120, 70));
    QVERIFY(top && (top == box || box->isAncestorOf(top)));
    QCOMPARE(host.focusWidget(), b->textEdit()); // typing goes into the box
}

QTEST_MAIN(TestAnnotation)
#include "tst_annotation.moc"
