// The full-screen layout of the colouring window, run at every load.

#include "FrmMain.h"

#include "Control.h"
#include "Layout.h"
#include "Screen.h"
#include "pButton.h"

using namespace vb;

namespace {

QSizeF sizeOf(const QWidget* w) {
    return QSizeF(ControlWidth(w), ControlHeight(w));
}

void place(QWidget* w, QPointF at) {
    ControlMove(w, float(at.x()), float(at.y()));
}

void setHand(PictureArea* a, const StdPicture& hand) {
    a->setMouseIcon(hand);
    a->setMousePointer(vbCustom);
}

} // namespace

void FrmMain::LayOut() {
    LayoutInput in;
    in.window = QSizeF(ScaleWidth(), ScaleHeight());
    in.stripHeight = pT->ScaleHeight();
    for (int i = 0; i < 4; ++i) {
        in.commandButtons[i] = sizeOf(c[i]);
        in.commandVisible[i] = !c[i]->isHidden();
        in.toolButtons[i] = sizeOf(pTool[i]);
    }
    in.canvas = QSizeF(P->ScaleWidth(), P->ScaleHeight());
    for (PictureArea* f : pFunc)
        in.functionButtons.push_back(QSizeF(f->ScaleWidth(), f->ScaleHeight()));
    const LayoutResult out = ComputeLayout(in);
    const StdPicture hand = LoadResPicture(101, vbResCursor);

    for (int i = 0; i < 4; ++i) {
        place(c[i], out.commandButtons[i].topLeft());
        c[i]->MouseIcon(hand);
    }
    place(pTool[0], out.toolButtons[0].topLeft());
    pTool[0]->MouseIcon(hand);
    pTool[0]->setPressed(true);
    pTool[0]->setEnabled(false);
    for (int i = 1; i < 4; ++i) {
        place(pTool[i], out.toolButtons[i].topLeft());
        // A reload after the options window starts from the crayon: a tool chosen before
        // must not keep its pressed face, or the next open would show two tools pressed.
        pTool[i]->setPressed(false);
        pTool[i]->setEnabled(false);
        pTool[i]->MouseIcon(hand);
    }

    P->setMouseIcon(LoadResPicture(102, vbResCursor));
    P->setMousePointer(vbCustom);
    setHand(Pc, hand);
    for (PictureArea* f : pFunc) setHand(f, hand);

    pT->Move(0, 0, float(out.strip.width()));
    PB->Move(0, float(out.background.top()), float(out.background.width()),
             float(out.background.height()));
    P->Move(float(out.canvas.x()), float(out.canvas.y()));
    Pc->Move(float(out.bubblePanel.left()), 0, float(out.bubblePanel.width()),
             float(out.bubblePanel.height()));
    for (size_t i = 0; i < pFunc.size(); ++i) pFunc[i]->Move(float(out.functionButtons[i].x()), 0);
    FunctionBarWidth = out.functionBarWidth;
}
