// The colour bubbles: the timer that moves and draws them (and hides or shows the
// function row), a click that picks a bubble's colour, and the swatch drawn in it.

#include "FrmMain.h"

#include "BubbleMotion.h"
#include "VbMath.h"
#include "mMain_Swatch.h"

#include <QCursor>

using namespace vb;

namespace {

// The window covers the screen from its corner, so screen pixels are window pixels.
void autoHideStep(FrmMain& m, QPoint pointer) {
    const bool inCorner =
        pointer.x() <= m.FunctionBarWidth && pointer.y() <= m.pFunc[0]->ScaleHeight();
    switch (HoverStep(m.HoverCount, inCorner, m.pFunc[0]->Visible())) {
    case RowChange::Show:
        for (PictureArea* f : m.pFunc) f->setVisible(true);
        break;
    case RowChange::Hide:
        for (PictureArea* f : m.pFunc) f->setVisible(false);
        break;
    case RowChange::None:
        break;
    }
}

void drawSprite(cNDib& sprite, QPoint at, HDC dc, uint32_t rop) {
    // A picture that could not be read at start-up draws nothing.
    if (sprite.isEmpty()) return;
    sprite.Bit_Blt_Dib(at.x(), at.y(), dc, rop);
}

} // namespace

void FrmMain::Timer1_Timer() {
    Pc->Cls();
    HDC dc = Pc->hDC();
    const int count = int(Bubbles.size());
    const bool drawable = int(BubbleSprites.size()) >= 2 * count;
    // The row's count grows once per bubble, but the pointer is read once per tick: on X11
    // each read is a round trip to the server, and 22 of them would cost more than the
    // whole tick does.
    const QPoint pointer = AutoHideFunctions ? QCursor::pos() : QPoint();
    for (int i = 0; i < count; ++i) {
        if (AutoHideFunctions) autoHideStep(*this, pointer);
        Bubble& b = Bubbles[size_t(i)];
        MoveBubble(b);
        if (drawable) {
            // The mask clears the ball's place to black, the picture on black fills it in.
            const QPoint at = BubbleCorner(b);
            drawSprite(*BubbleSprites[size_t(count + i)], at, dc, SRCAND);
            drawSprite(*BubbleSprites[size_t(i)], at, dc, SRCPAINT);
        }
        if (BubbleGone(b)) {
            PlaySoundEffect(0);
            RespawnBubble(i, BubbleSpeed);
        }
    }
    Pc->Refresh();
}

void FrmMain::RespawnBubble(int i, float divisor) {
    const float r1 = Rnd();
    const float r2 = Rnd();
    const float r3 = Rnd();
    PlaceBelowPanel(Bubbles[size_t(i)], Pc->ScaleWidth(), Pc->ScaleHeight(), divisor, r1, r2, r3);
}

void FrmMain::Pc_MouseDown(int16_t Button, int16_t Shift, float X, float Y) {
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    const int i = BubbleAt(Bubbles, X, Y);
    if (i < 0) return;
    const int32_t colour = Bubbles[size_t(i)].Colour;
    SplitRGB(colour, CurrentR, CurrentG, CurrentB);
    PlaySoundEffect(4);
    // A popped bubble comes back quickly, whatever the parents' speed.
    RespawnBubble(i, 3);
    PB->setBackColor(colour);
    DrawSwatch();
}

void FrmMain::DrawSwatch() {
    PB->Cls();
    uint8_t r = 0, g = 0, b = 0;
    SplitRGB(PB->BackColor(), r, g, b);
    if (P->Visible()) {
        ShadowInfo shadow;
        shadow.Left = CLng(P->Left());
        shadow.Top = CLng(P->Top());
        shadow.Width = CLng(P->ScaleWidth());
        shadow.Height = CLng(P->ScaleHeight());
        shadow.Radius = 2;
        shadow.Visible = true;
        shadow.Size = 10;
        shadow.R = r;
        shadow.G = g;
        shadow.B = b;
        DrawShadow(*PB, shadow);
    }
    GradientInfo band;
    band.Direction = 1;
    band.Colors = {RGBTriple{0, 0, 0}, RGBTriple{r, g, b}};
    int32_t x = 0, y = 0, w = CLng(PB->ScaleWidth()), h = 10;
    DrawGradient(band, *PB, x, y, w, h);
    PB->Refresh();
}
