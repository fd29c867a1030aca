#pragma once
// The geometry of the colouring window, computed from the sizes of its parts so that it
// can be checked without a window: the toolbar strip with its command and tool buttons
// and the bubble panel, the background and the canvas centred in it, and the row of
// function buttons in the corner. All values are pixels; halves are kept.

#include <QRectF>
#include <QSizeF>
#include <array>
#include <vector>

struct LayoutInput {
    QSizeF window;                        // the window's client size
    float stripHeight = 0;                // the toolbar strip's inner height
    std::array<QSizeF, 4> commandButtons; // c(0) .. c(3)
    std::array<bool, 4> commandVisible{true, true, true, true};
    std::array<QSizeF, 4> toolButtons;   // pTool(0) .. pTool(3)
    QSizeF canvas;                       // P, sized to its picture
    std::vector<QSizeF> functionButtons; // pFunc(0) .. pFunc(n - 1)
};

struct LayoutResult {
    std::array<QRectF, 4> commandButtons;
    std::array<QRectF, 4> toolButtons;
    QRectF strip;       // pT in the window
    QRectF background;  // PB in the window
    QPointF canvas;     // P's top-left in PB
    QRectF bubblePanel; // Pc in the strip
    std::vector<QPointF> functionButtons;
    int functionBarWidth = 0;
};

LayoutResult ComputeLayout(const LayoutInput& in);
