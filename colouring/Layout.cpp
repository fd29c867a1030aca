#include "Layout.h"

#include "VbMath.h"

LayoutResult ComputeLayout(const LayoutInput& in) {
    LayoutResult out;
    const float strip = in.stripHeight;
    auto centredTop = [strip](const QSizeF& s) { return strip / 2 - float(s.height()) / 2; };

    // Command buttons left to right; a hidden one leaves no gap.
    out.commandButtons[0] =
        QRectF(QPointF(0, centredTop(in.commandButtons[0])), in.commandButtons[0]);
    double x = vb::RoundHalfEven(out.commandButtons[0].left() + in.commandButtons[0].width());
    for (int i = 1; i < 4; ++i) {
        out.commandButtons[i] =
            QRectF(QPointF(x, centredTop(in.commandButtons[i])), in.commandButtons[i]);
        if (in.commandVisible[i]) x = out.commandButtons[i].left() + in.commandButtons[i].width();
    }
    // Tool buttons continue from there.
    for (int i = 0; i < 4; ++i) {
        out.toolButtons[i] = QRectF(QPointF(x, centredTop(in.toolButtons[i])), in.toolButtons[i]);
        x = out.toolButtons[i].left() + in.toolButtons[i].width();
    }

    const double w = in.window.width(), h = in.window.height();
    out.strip = QRectF(0, 0, w, strip);
    out.background = QRectF(0, strip, w, h - strip >= 0 ? h - strip : 0);
    // A canvas larger than the background is cut off equally on both sides.
    out.canvas = QPointF(out.background.width() / 2 - in.canvas.width() / 2,
                         out.background.height() / 2 - in.canvas.height() / 2);
    const double e = out.toolButtons[3].left() + out.toolButtons[3].width();
    out.bubblePanel = QRectF(e, 0, w - e, strip);

    double fx = 0;
    for (const QSizeF& f : in.functionButtons) {
        out.functionButtons.emplace_back(fx, 0);
        fx += f.width();
    }
    if (!in.functionButtons.empty())
        out.functionBarWidth = int(
            vb::RoundHalfEven(out.functionButtons.back().x() + in.functionButtons.back().width()));
    return out;
}
