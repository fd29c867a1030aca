// Strokes on the canvas: the press builds the region map and takes the undo snapshot,
// the moves paint inside the region (or draw the marker's outlines), the release hands the
// canvas back to the brushes and restarts the bubbles.

#include "FrmMain.h"
#include "VbMath.h"
#include "mMain_Stamp.h"
#include "pButton.h"

#include <algorithm>

using namespace vb;

namespace {

// A fresh colour near the current one for every move: each channel drawn (red, green,
// blue in this order) from c - J to c + J - 1, kept within 0 to 255.
int32_t GrainColour(uint8_t r, uint8_t g, uint8_t b, int32_t J) {
    auto channel = [J](uint8_t c) {
        const double v = Int(double(Rnd()) * 2 * J) + c - J;
        return v < 0 ? 0 : int32_t(v);
    };
    const int32_t red = channel(r);
    const int32_t green = channel(g);
    const int32_t blue = channel(b);
    return RGB(red, green, blue);
}

// Fills `slot` with a copy of the picture area's image. A buffer of the same size is
// refilled in place: the press copies three whole pages, and fresh 3 MB allocations
// (zero-filled, then faulted in page by page) would cost more than the copies.
void CopyImage(std::unique_ptr<cNDib>& slot, PictureHost& from) {
    if (!slot) slot = std::make_unique<cNDib>();
    slot->Make_From_Picture(from);
}

// Points where a stroke may start: the canvas, its right and bottom borders included.
bool OnCanvas(const PictureArea& P, float X, float Y) {
    return X >= 0 && X <= P.ScaleWidth() && Y >= 0 && Y <= P.ScaleHeight();
}

} // namespace

void FrmMain::P_MouseDown(int16_t Button, int16_t Shift, float X, float Y) {
    if (!OnCanvas(*P, X, Y)) return;
    Timer1->setEnabled(false);
    tP->Cls(); // drops the previous stroke's red fill

    if (UndoIndex == 2) {
        // The oldest snapshot is dropped; its buffers take the new one.
        std::rotate(UndoPictures.begin(), UndoPictures.begin() + 1, UndoPictures.end());
        std::rotate(UndoTemplates.begin(), UndoTemplates.begin() + 1, UndoTemplates.end());
    } else {
        ++UndoIndex;
    }
    CopyImage(UndoPictures[UndoIndex], *P);
    CopyImage(UndoTemplates[UndoIndex], *tP);

    tP->setFillColor(255);
    const int32_t Xr = CLng(X), Yr = CLng(Y);
    if (Tool != 3) {
        // A press on the right or bottom border (X = ScaleWidth) lies one pixel beyond the
        // image; fill from the edge pixel that the region look-ups clamp to, or the stroke
        // would compare plain white and paint across every outline.
        const HDC t = tP->hDC();
        ExtFloodFill(t, std::clamp(Xr, 0, t->width() - 1), std::clamp(Yr, 0, t->height() - 1),
                     0xFFFFFF, FLOODSURFACE);
    }
    CopyImage(RegionMask, *tP);
    if (!c[2]->Enabled()) c[2]->setEnabled(true);
    RegionColor = RegionMask->Get_Pixel_Long(Xr, Yr);

    P->CurrentX = X;
    P->CurrentY = Y;
    P_MouseMove(Button, Shift, X, Y);
    if (Tool == 2) {
        P->PSet(X, Y, RGB(CurrentR, CurrentG, CurrentB));
    } else if (Tool == 3) {
        P->PSet(X, Y, 0);
        tP->PSet(X, Y, 0);
    }
}

void FrmMain::P_MouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    if (Button == 0) return;
    // Without a press on the canvas there is no region to paint in.
    if (!RegionMask || RegionMask->isEmpty()) return;
    const int32_t Xr = CLng(X), Yr = CLng(Y);

    // A stroke pressed on an outline waits until the pointer leaves it, then starts anew.
    // Off the canvas it keeps waiting: the look-up there would read an edge pixel, and the
    // refused restart would leave a map made for no region, which paints across outlines.
    if (RegionColor == 0) {
        if (!OnCanvas(*P, X, Y)) return;
        RegionColor = RegionMask->Get_Pixel_Long(Xr, Yr);
        if (RegionColor == 0) return;
        P_MouseDown(Button, Shift, X, Y);
    }

    switch (Tool) {
    case 2:
        LineGP(P->hDC(), CInt(P->CurrentX), CInt(P->CurrentY), CInt(X), CInt(Y),
               GrainColour(CurrentR, CurrentG, CurrentB, ColorJitter), RegionColor);
        P->CurrentX = X;
        P->CurrentY = Y;
        P->PostRefresh();
        break;
    case 3:
        tP->Line(P->CurrentX, P->CurrentY, X, Y, 0);
        P->Line(P->CurrentX, P->CurrentY, X, Y, 0);
        P->CurrentX = X;
        P->CurrentY = Y;
        tP->PostRefresh();
        break;
    default: {
        const int32_t grain = GrainColour(CurrentR, CurrentG, CurrentB, ColorJitter);
        if (CanvasDib && BrushDib)
            StampBrush(*CanvasDib, *RegionMask, *BrushDib, Xr, Yr, RegionColor, grain, nullptr,
                       P->hDC(), -1000, -1000, 1.0f, 0, 0);
        break;
    }
    }
    // The move's repaint is posted: moves that queue up while one is drawn share one.
    P->PostRefresh();
}

void FrmMain::P_MouseUp(int16_t Button, int16_t Shift, float X, float Y) {
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
    CopyImage(CanvasDib, *P);
    // The marker's lines join the template's picture: later regions end at them.
    if (Tool == 3) tP->setPicture(tP->Image());
    Timer1->setEnabled(true);
}
