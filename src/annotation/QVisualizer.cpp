#include "annotation/QVisualizer.h"

#include "annotation/QBasePlate.h"
#include "annotation/QPanel.h"
#include "annotation/QTopPlate.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QShortcut>

QVisualizer::QVisualizer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QVisualizer"));
    setWindowTitle(QStringLiteral("QVisualizer"));
    resize(400, 300);

    // Children of this window rather than windows of their own: they are
    // painted after the live picture, so they lie on top of it with or
    // without a compositing window manager.
    panel = new QPanel(this);
    panel->hide();
    topPlate = new QTopPlate(this);
    board = new QBasePlate(this);
    topPlate->setBoard(board);
    topPlate->setPanel(panel);
    panel->setBoard(board);
    panel->setVisualizer(this);

    board->lower();
    panel->raise();
    panel->setGeometry(0, height() / 2 - 50, 80, 100);

    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { board->removeLastShape(); });
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &QVisualizer::saveRequested);
}

QRect QVisualizer::panelGeometry(int windowHeight) {
    return QRect(0, windowHeight / 2 - 128, 120, 257);
}

void QVisualizer::leaveWhiteboard() {
    hide();
    emit leaveRequested();
}

void QVisualizer::quit() {
    close();
    emit quitRequested();
}

void QVisualizer::onPanelButton(int index) {
    topPlate->setToolCursor(index);
}

void QVisualizer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    panel->setGeometry(panelGeometry(height()));
    board->setGeometry(rect());
    topPlate->setGeometry(rect());
}

void QVisualizer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // As windows shown in turn, each lies above the one before.
    for (QWidget* layer : {static_cast<QWidget*>(board), static_cast<QWidget*>(topPlate),
                           static_cast<QWidget*>(panel)}) {
        layer->show();
        layer->raise();
    }
}

void QVisualizer::hideEvent(QHideEvent* event) {
    panel->hide();
    topPlate->hide();
    board->hide();
    QWidget::hideEvent(event);
}

void QVisualizer::mouseDoubleClickEvent(QMouseEvent*) {
    leaveWhiteboard();
}

void QVisualizer::closeEvent(QCloseEvent* event) {
    // Closed by the window system (not by the panel's quit button): the
    // whiteboard is left rather than hidden with the main window still away.
    if (event->spontaneous()) {
        event->ignore();
        leaveWhiteboard();
        return;
    }
    QWidget::closeEvent(event);
}
