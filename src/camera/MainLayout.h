#pragma once

#include <QList>
#include <QRect>

// Geometry of the main window's children for a window of size W x H.
// Rectangles follow the window's own rules: corners are inclusive.
struct MainLayout {
    QRect title;
    QRect thumbnailHost;
    QRect preview;
    QRect pathBar;
    QRect tabs;
    // Drag, Cut, RotateLeft, RotateRight, ZoomOut, ZoomIn, FullSrn.
    QList<QRect> toolButtons;
    QRect scaleSlider;
    QRect line;
    QRect compinfo;
    QRect markLink;
    QRect snapLink;
    // Scan, AutoScan, Compose, Rec, ReadIDCard, ReadBarcode, Print, OCR;
    // an empty rectangle for a button the language hides. Empty list for a
    // language without a button row.
    QList<QRect> actionButtons;
};

// The action-button row (and the title bar) for a language: 0 Chinese,
// 1 English, anything else only the title.
void layoutActionRow(MainLayout& layout, int width, int height, int language);

MainLayout computeMainLayout(int width, int height, int language);
