// Preview surface geometry and the view operations of the preview toolbar.

#include "app/MainForm.h"
#include "camera/MainLayout.h"
#include "camera/QPreviewWidget.h"
#include "ui_MainForm.h"

#include <QMoveEvent>
#include <QResizeEvent>

namespace {
QList<QPushButton*> actionButtons(Ui::MainForm* ui) {
    return {ui->pushButtonScan,  ui->pushButtonAutoScan,   ui->pushButtonCompose,
            ui->pushButtonRec,   ui->pushButtonReadIDCard, ui->pushButtonReadBarcode,
            ui->pushButtonPrint, ui->pushButtonOCR};
}
} // namespace

void MainForm::layoutButtonRow() {
    MainLayout l;
    layoutActionRow(l, width(), height(), cfg.Language);
    ui->widget_title->setGeometry(l.title);
    if (l.actionButtons.isEmpty())
        return;
    const QList<QPushButton*> buttons = actionButtons(ui);
    for (int i = 0; i < buttons.size(); ++i) {
        if (l.actionButtons[i].isNull()) {
            buttons[i]->hide();
        } else {
            buttons[i]->setGeometry(l.actionButtons[i]);
            buttons[i]->show();
        }
    }
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!ui || !preview)
        return;
    const MainLayout l = computeMainLayout(width(), height(), cfg.Language);
    thumbnailHost->setGeometry(l.thumbnailHost);
    preview->setGeometry(l.preview);
    ui->widgetPath->setGeometry(l.pathBar);
    ui->tabWidget->setGeometry(l.tabs);
    layoutButtonRow();
    QWidget* tools[] = {ui->pushButtonDrag,        ui->pushButtonCut,     ui->pushButtonRotateLeft,
                        ui->pushButtonRotateRight, ui->pushButtonZoomOut, ui->pushButtonZoomIn,
                        ui->pushButtonFullSrn};
    for (int i = 0; i < 7; ++i)
        tools[i]->setGeometry(l.toolButtons[i]);
    ui->horizontalSliderScale->setGeometry(l.scaleSlider);
    ui->line->setGeometry(l.line);
    ui->compinfo->setGeometry(l.compinfo);
    ui->compinfo->hide();
    ui->labelMarkMode->setGeometry(l.markLink);
    ui->labelSnapMode->setGeometry(l.snapLink);
}

void MainForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
}

// The view operations are wired up with the rest of the camera controls.
void MainForm::onRotateLeft() {}
void MainForm::onRotateRight() {}
void MainForm::onZoomIn() {}
void MainForm::onZoomOut() {}
void MainForm::onSetDrag() {}
void MainForm::onSetDrawRect() {}
void MainForm::onSetScale() {}
void MainForm::onFullSrn() {}
void MainForm::OnPip() {}
void MainForm::onSwitchMainSub() {}
