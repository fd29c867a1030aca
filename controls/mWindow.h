#pragma once
// The raised frame that makes a borderless secondary window look like a panel.

#include "Gdi.h"

#include <QWidget>
#include <cstdint>

// Draws Edge/Flags (the windows pass EDGE_RAISED and BF_RECT) along the outer edge of
// hWnd, sized from its window rectangle, onto hDC (the same window's persistent image).
void DrawWindowEdge(QWidget* hWnd, vb::HDC hDC, int32_t Edge, int32_t Flags);
