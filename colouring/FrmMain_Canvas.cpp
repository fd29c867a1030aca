// Strokes on the canvas: the press maps the stroke's region and takes the undo snapshot,
// the moves paint inside the region (or draw the marker's outlines), the release hands the
// canvas back to the brushes and restarts the bubbles.

#include "FrmMain.h"
#include "RegionMap.h"
#include "VbMath.h"
#include "mMain_Stamp.h"
#include "pButton.h"

#include <algorithm>
#include <optional>

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
// refilled in place: fresh allocations of the largest page would cost more than the copy.
void CopyImage(std::unique_ptr<cNDib>& slot, PictureHost& from) {
    if (!slot) slot = std::make_unique<cNDib>();
    slot->Make_From_Picture(from);
}

// Points where a stroke may start: the canvas, its right and bottom borders included.
bool OnCanvas(const PictureArea& P, float X, float Y) {
    return X >= 0 && X <= P.ScaleWidth() && Y >= 0 && Y <= P.ScaleHeight();
}

bool SameSize(const cNDib* d, HDC dc) {
    return d && !d->isEmpty() && d->w() == dc->width() && d->h() == dc->height();
}

} // namespace

void FrmMain::KeepTemplateCurrent() {
    const HDC t = tP->hDC();
    const qint64 key = tP->Picture().image().cacheKey();
    if (key == TemplateKey && SameSize(TemplateDib.get(), t) && SameSize(RegionMask.get(), t))
        return;
    tP->Cls(); // the template's image is its picture again
    // A new buffer: the old one may be an undo snapshot's.
    auto templ = std::make_shared<cNDib>();
    templ->Make_From_Picture(*tP);
    CopyImage(RegionMask, *tP);
    TemplateDib = std::move(templ);
    TemplateKey = key;
    RegionFill = QRect();
}

void FrmMain::FreshenCanvasRows(int32_t y0, int32_t y1) {
    const int32_t H = int32_t(CanvasRowsFresh.size());
    y0 = std::max(y0, 0);
    y1 = std::min(y1, H - 1);
    for (int32_t y = y0; y <= y1; ++y) {
        if (CanvasRowsFresh[size_t(y)]) continue;
        int32_t end = y;
        while (end < y1 && !CanvasRowsFresh[size_t(end) + 1]) ++end;
        CanvasDib->CopyRows(*P, y, end);
        std::fill(CanvasRowsFresh.begin() + y, CanvasRowsFresh.begin() + end + 1, uint8_t(1));
        y = end;
    }
}

void FrmMain::P_MouseDown(int16_t Button, int16_t Shift, float X, float Y) {
    if (!OnCanvas(*P, X, Y)) return;
    Timer1->setEnabled(false);
    // A stroke that restarts off an outline drops what its press drew on the template.
    if (!CanvasMirrorsP) tP->Cls();
    KeepTemplateCurrent();

    if (UndoIndex == 2) {
        // The oldest snapshot is dropped; its buffers take the new one.
        std::rotate(UndoPictures.begin(), UndoPictures.begin() + 1, UndoPictures.end());
        std::rotate(UndoTemplates.begin(), UndoTemplates.begin() + 1, UndoTemplates.end());
    } else {
        ++UndoIndex;
    }
    const HDC canvas = P->hDC();
    const int32_t W = canvas->width(), H = canvas->height();
    if (CanvasMirrorsP && SameSize(CanvasDib.get(), canvas)) {
        // The canvas buffer holds what the canvas shows, so it is the snapshot. The stroke
        // paints in the dropped snapshot's buffer, which takes the canvas's rows as the
        // brush reaches them and the rest at the release.
        std::swap(UndoPictures[UndoIndex], CanvasDib);
        if (!CanvasDib) CanvasDib = std::make_unique<cNDib>();
        CanvasDib->MakeUnset(W, H);
    } else {
        CopyImage(UndoPictures[UndoIndex], *P);
    }
    CanvasRowsFresh.assign(size_t(H), 0);
    CanvasMirrorsP = false;
    UndoTemplates[UndoIndex] = TemplateDib;

    const int32_t Xr = CLng(X), Yr = CLng(Y);
    // A press on the right or bottom border (X = ScaleWidth) lies one pixel beyond the
    // image; fill from the edge pixel that the region look-ups clamp to, or the stroke
    // would compare plain white and paint across every outline. The marker fills nothing.
    std::optional<QPoint> fillFrom;
    if (Tool != 3)
        fillFrom = QPoint(std::clamp(Xr, 0, TemplateDib->w() - 1),
                          std::clamp(Yr, 0, TemplateDib->h() - 1));
    MapRegion(*RegionMask, *TemplateDib, RegionFill, fillFrom);
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
        if (CanvasDib && BrushDib) {
            // The stamp's rows and the two below it that its screen update copies.
            const int32_t hh = BrushDib->Height() / 2;
            FreshenCanvasRows(Yr - hh, Yr + hh + 2);
            StampBrush(*CanvasDib, *RegionMask, *BrushDib, Xr, Yr, RegionColor, grain, nullptr,
                       P->hDC(), -1000, -1000, 1.0f, 0, 0);
        }
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
    // Every row the stroke did not stamp is taken from the canvas.
    if (SameSize(CanvasDib.get(), P->hDC()) && CanvasRowsFresh.size() == size_t(CanvasDib->h()))
        FreshenCanvasRows(0, CanvasDib->h() - 1);
    else
        CopyImage(CanvasDib, *P);
    CanvasMirrorsP = true;
    // The marker's lines join the template's picture: later regions end at them.
    if (Tool == 3) {
        tP->setPicture(tP->Image());
        KeepTemplateCurrent();
    }
    Timer1->setEnabled(true);
}
