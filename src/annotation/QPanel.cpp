#include "annotation/QPanel.h"

#include "annotation/AnnotationSettings.h"
#include "annotation/QBasePlate.h"
#include "annotation/QLineWidthDlg.h"
#include "annotation/QSetOpcityDlg.h"
#include "annotation/QVisualizer.h"
#include "config/Settings.h"

#include <QColorDialog>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

struct ButtonEntry {
    const char* image; // under :/image/mark/, without "on" and ".png"
    const char* name;
    const char* text;
    void (QPanel::*slot)();
};

const ButtonEntry buttonTable[panel::kButtonCount] = {
    {"mouse", "pushButtonMouse", "鼠标", &QPanel::onBtnMouse},
    {"clean", "pushButtonClear", "清除", &QPanel::onBtnClear},
    {"pen", "pushButtonPen", "画笔", &QPanel::onBtnDrawPen},
    {"line", "pushButtonLine", "直线", &QPanel::onBtnLine},
    {"texticon", "pushButtonArrow", "箭头", &QPanel::onBtnArrow},
    {"trangle", "pushButtonTrangle", "三角形", &QPanel::onBtnTrangle},
    {"rect", "pushButtonRect", "矩形", &QPanel::onBtnRect},
    {"ellipse", "pushButtonEllipse", "椭圆", &QPanel::onBtnEllipse},
    {"lw", "pushButtonLineWidth", "线宽", &QPanel::onBtnLineWidth},
    {"color", "pushButtonColor", "颜色", &QPanel::onBtnColor},
    {"opcity", "pushButtonOpcity", "透明度", &QPanel::onBtnOpcity},
    {"eraser", "pushButtonEraser", "橡皮擦", &QPanel::onBtnEraser},
    {"back", "pushButtonReturn", "返回", &QPanel::onBtnReturn},
    {"quit", "pushButtonQuit", "退出", &QPanel::onBtnQuit},
};

} // namespace

QPanel::QPanel(QWidget* parent) : QWidget(parent), m_settings(annotation::currentSettings()) {
    setObjectName(QStringLiteral("QPanel"));
    setWindowTitle(QStringLiteral("QPanel"));
    if (!parent)
        setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    for (int i = 0; i < panel::kButtonCount; ++i) {
        const ButtonEntry& e = buttonTable[i];
        auto* b = new QPushButton(QString::fromUtf8(e.text), this);
        b->setObjectName(QLatin1String(e.name));
        connect(b, &QPushButton::clicked, this, e.slot);
        b->hide();
        m_buttons[i] = b;
    }
}

QPushButton* QPanel::hiddenButton(int i) const {
    return i >= 0 && i < panel::kButtonCount ? m_buttons[i] : nullptr;
}

QString QPanel::normalImage(int i) {
    return QStringLiteral(":/image/mark/%1.png").arg(QLatin1String(buttonTable[i].image));
}

QString QPanel::highlightedImage(int i) {
    return QStringLiteral(":/image/mark/%1on.png").arg(QLatin1String(buttonTable[i].image));
}

void QPanel::selectTool(int button) {
    int tool = 0;
    if (m_board && panel::toolOf(button, &tool))
        m_board->setTool(tool);
}

void QPanel::onBtnMouse() {
    selectTool(panel::Mouse);
}
void QPanel::onBtnDrawPen() {
    selectTool(panel::Pen);
}
void QPanel::onBtnLine() {
    selectTool(panel::Line);
}
void QPanel::onBtnArrow() {
    selectTool(panel::Text); // the button shows the text tool
}
void QPanel::onBtnTrangle() {
    selectTool(panel::Triangle);
}
void QPanel::onBtnRect() {
    selectTool(panel::Rect);
}
void QPanel::onBtnEllipse() {
    selectTool(panel::Ellipse);
}
void QPanel::onBtnEraser() {
    selectTool(panel::Eraser);
}

void QPanel::onBtnClear() {
    if (m_board)
        m_board->clear();
}

void QPanel::onBtnLineWidth() {
    QLineWidthDlg dlg(this);
    dlg.applyLanguage(m_settings->Language);
    dlg.setLineWidth(m_settings->LineWidth);
    if (dlg.exec() == QDialog::Accepted && m_board) {
        m_settings->LineWidth = dlg.lineWidth();
        m_board->setLineWidth(dlg.lineWidth());
    }
}

void QPanel::onBtnColor() {
    const QColor initial(m_settings->rval, m_settings->gval, m_settings->bval, 255);
    QColorDialog dlg(initial, this);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    if (dlg.exec() != 0 && dlg.result() == QDialog::Accepted) {
        const QColor chosen = dlg.selectedColor();
        m_settings->rval = chosen.red();
        m_settings->gval = chosen.green();
        m_settings->bval = chosen.blue();
        if (m_board)
            m_board->setColor(chosen);
    }
}

void QPanel::onBtnOpcity() {
    QSetOpcityDlg dlg(this);
    dlg.applyLanguage(m_settings->Language);
    dlg.setOpacity(m_settings->Opcity);
    if (dlg.exec() == QDialog::Accepted) {
        m_settings->Opcity = dlg.opacity();
        if (m_board)
            m_board->setOpacity(dlg.opacity());
    }
}

void QPanel::onBtnReturn() {
    if (m_visualizer)
        m_visualizer->leaveWhiteboard();
}

void QPanel::onBtnQuit() {
    if (m_visualizer)
        m_visualizer->quit();
}

void QPanel::onButton(int i) {
    if (i < 0 || i >= panel::kButtonCount)
        return;
    // The hidden button of that index runs its slot.
    m_buttons[i]->click();
    if (!panel::keepsTextBox(i) && m_board)
        m_board->closeTextBox();
    if (m_visualizer)
        m_visualizer->onPanelButton(i);
}

void QPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(120, 80, 80, 60));
    for (int i = 0; i < panel::kButtonCount; ++i) {
        const QRect square = panel::buttonRect(i);
        if (m_buttonOn[size_t(i)]) {
            p.fillRect(panel::highlightRect(i), QColor(120, 80, 80, 160));
            p.drawImage(square, QImage(highlightedImage(i)));
        } else {
            p.drawImage(square, QImage(normalImage(i)));
        }
    }
}

void QPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int hit = panel::buttonAt(pos);
    if (hit >= 0)
        onButton(hit);
    m_buttonOn = panel::highlightAfterPress(m_buttonOn, pos);
    update();
}

void QPanel::mouseReleaseEvent(QMouseEvent*) {}
void QPanel::mouseMoveEvent(QMouseEvent*) {}
void QPanel::resizeEvent(QResizeEvent*) {}
