// Preview surface geometry and the view operations of the preview toolbar.

#include "app/MainForm.h"
#include "camera/MainLayout.h"
#include "camera/QPreviewWidget.h"
#include "camera/QSmallWidget.h"
#include "camera/SmallWindowGeometry.h"
#include "capture/ThumbnailStrip.h"
#include "shell/Language.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>

namespace {
QList<QPushButton*> actionButtons(Ui::MainForm* ui) {
    return {ui->pushButtonScan,  ui->pushButtonAutoScan,   ui->pushButtonCompose,
            ui->pushButtonRec,   ui->pushButtonReadIDCard, ui->pushButtonReadBarcode,
            ui->pushButtonPrint, ui->pushButtonOCR};
}
// Longer texts (English) get a smaller font so the whole text shows on the
// fixed-width buttons; the row keeps one font size, that of its longest text.
void fitTextsToWidth(const QList<QPushButton*>& row) {
    if (row.isEmpty())
        return;
    QFont font = row.first()->parentWidget()->font();
    const auto fits = [&font](const QPushButton* b) {
        // The skin's border and padding take 3 pixels on each side.
        return QFontMetrics(font).horizontalAdvance(b->text()) <= b->width() - 10;
    };
    while (font.pointSizeF() > 7.0 && !std::all_of(row.begin(), row.end(), fits))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QPushButton* b : row) {
        b->setFont(font);
        b->setToolTip(fits(b) ? QString() : b->text());
    }
}
} // namespace

void MainForm::layoutButtonRow() {
    MainLayout l;
    layoutActionRow(l, width(), height(), cfg.Language);
    ui->widget_title->setGeometry(l.title);
    if (l.actionButtons.isEmpty())
        return;
    const QList<QPushButton*> buttons = actionButtons(ui);
    QList<QPushButton*> shown;
    for (int i = 0; i < buttons.size(); ++i) {
        if (l.actionButtons[i].isNull()) {
            buttons[i]->hide();
        } else {
            buttons[i]->setGeometry(l.actionButtons[i]);
            buttons[i]->show();
            shown << buttons[i];
        }
    }
    fitTextsToWidth(shown);
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!ui || !preview)
        return;
    const MainLayout l = computeMainLayout(width(), height(), cfg.Language);
    thumbnailHost->setGeometry(l.thumbnailHost);
    strip->resize();
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
    if (overPicture()) {
        updateAllowedArea();
        pDiaSmallVideo->moveClamped(pDiaSmallVideo->placement.turnedOn());
        pDiaSmallVideo->show();
    }
}

void MainForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (!ui || !pDiaSmallVideo)
        return;
    updateAllowedArea();
    pDiaSmallVideo->moveClamped(
        pDiaSmallVideo->placement.carried(pDiaSmallVideo->pos(), event->pos() - event->oldPos()));
}

bool MainForm::overPicture() const {
    return pair.viceMode() == camera::ViceMode::InPicture;
}

smallwindow::VideoRect MainForm::mainVideoRect() {
    const int main = pair.main();
    smallwindow::VideoRect v = smallwindow::parseVideoRect(OrvGetVideoRect(main));
    OrvGetVideoRectEx(main, &v.left, &v.top, &v.right, &v.bottom);
    return v;
}

void MainForm::updateAllowedArea() {
    pDiaSmallVideo->placement.follow(pDiaSmallVideo->size(), preview->mapToGlobal(QPoint(0, 0)),
                                     mainVideoRect());
}

void MainForm::fitSmallWindow() {
    updateAllowedArea();
    if (const auto to = pDiaSmallVideo->placement.afterFit(pDiaSmallVideo->size()))
        pDiaSmallVideo->moveClamped(*to);
}

void MainForm::startFit() {
    if (!fitTimer) {
        fitTimer = new QTimer(this);
        fitTimer->setObjectName(QStringLiteral("fitTimer"));
        fitTimer->setInterval(smallwindow::FitWait::kIntervalMs);
        connect(fitTimer, &QTimer::timeout, this, [this] {
            if (fitWait.tick(mainVideoRect()))
                fitSmallWindow();
            if (!fitWait.waiting())
                fitTimer->stop();
        });
    }
    // A fit still waiting for the previous resolution is replaced.
    fitWait.start();
    fitTimer->start();
}

void MainForm::onSetDrag() {
    ui->pushButtonCut->setChecked(false);
    pair.setMouseMode(0);
}

void MainForm::onSetDrawRect() {
    ui->pushButtonDrag->setChecked(false);
    pair.setMouseMode(1);
}

void MainForm::onZoomIn() {
    if (pair.zoomEnabled())
        OrvZoomIn(pair.main());
}

void MainForm::onZoomOut() {
    if (pair.zoomEnabled())
        OrvZoomOut(pair.main());
}

void MainForm::onSetScale() {
    if (!pair.zoomEnabled())
        return;
    const int v = ui->horizontalSliderScale->value();
    const float low = pair.minZoom();
    OrvZoom(pair.main(), low + (pair.maxZoom() - low) * v / 100);
}

void MainForm::onRotateLeft() {
    OrvRotateLeft(pair.main());
    cfg.RotateAngle = (cfg.RotateAngle + 270) % 360;
    afterRotation();
}

void MainForm::onRotateRight() {
    OrvRotateRight(pair.main());
    cfg.RotateAngle = (cfg.RotateAngle + 90) % 360;
    afterRotation();
}

void MainForm::afterRotation() {
    if (!overPicture())
        return;
    updateAllowedArea();
    pDiaSmallVideo->moveClamped(pDiaSmallVideo->placement.afterRotation());
}

void MainForm::onFullSrn() {
    OrvResetVideo(pair.main());
    if (overPicture())
        updateAllowedArea();
}

void MainForm::OnPip() {
    if (ui->checkBoxInVideo->isChecked()) {
        pair.setViceMode(camera::ViceMode::InPicture);
        updateAllowedArea();
        pDiaSmallVideo->moveClamped(pDiaSmallVideo->placement.turnedOn());
        pDiaSmallVideo->show();
    } else {
        pDiaSmallVideo->hide();
        pair.setViceMode(camera::ViceMode::OwnArea);
    }
}

void MainForm::onSwitchMainSub() {
    if (!pair.swap()) {
        shell::Language::tellChinese(QStringLiteral("副头未开启"));
        return;
    }
    showCameraState();
    refreshMainControls();
}
