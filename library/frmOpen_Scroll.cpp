// Scrolling the sheet: the arrows animate 160 pixels a click, one pixel a step, and the
// ball between them shows the position and can be dragged.

#include "SheetScroll.h"
#include "VbMath.h"
#include "frmOpen.h"
#include "pButton.h"

#include <QCoreApplication>
#include <QEvent>

using namespace vb;

void frmOpen::cScroll_click(int16_t Index) {
    const ScrollRun run = ArrowScroll(Index, Pmb->Top(), Pmb->ScaleHeight(), PB->ScaleHeight());
    if (!run.Moves) return;
    // The whole run is drawn inside the click, without giving other events a turn.
    const int32_t step = run.To < run.From ? -1 : 1;
    for (int32_t t = run.From;; t += step) {
        ScrollStep(t);
        if (t == run.To) break;
    }
}

void frmOpen::ScrollStep(int32_t t) {
    Pmb->setTop(float(t));
    Pmb->Refresh();
    PlaceBall();
    RepaintNow();
}

void frmOpen::PlaceBall() {
    const double S = PB->ScaleHeight() - Pmb->ScaleHeight();
    const double T = BallTravel(cScroll[1]->Top(), sBall->PlaceHeight(), cScroll[0]->PlaceHeight());
    sBall->setTop(float(BallTopFor(Pmb->Top(), S, T, cScroll[0]->PlaceHeight())));
}

void frmOpen::sBall_MouseDown(int16_t, int16_t, float, float y) {
    BallGrabY = CLng(y);
}

void frmOpen::sBall_MouseMove(int16_t Button, int16_t, float, float y) {
    if (Button == 0) return;
    const double up = cScroll[0]->PlaceHeight();
    sBall->setTop(float(
        DraggedBallTop(sBall->Top(), y, BallGrabY, up, cScroll[1]->Top(), sBall->PlaceHeight())));
    const double S = PB->ScaleHeight() - Pmb->ScaleHeight();
    const double T = BallTravel(cScroll[1]->Top(), sBall->PlaceHeight(), up);
    Pmb->setTop(float(SheetTopFor(sBall->Top(), S, T, up)));
    RepaintNow();
}

// The window's Refresh shows what was drawn on it; moving the sheet and the ball only
// schedules their repaint, which the animation (never yielding) must push out itself.
void frmOpen::RepaintNow() {
    Me()->Refresh();
    QCoreApplication::sendPostedEvents(Me(), QEvent::UpdateRequest);
}
