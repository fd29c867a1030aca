#include "BubbleMotion.h"

#include "FrmMain.h"
#include "VbMath.h"

#include <cmath>

using namespace vb;

void MoveBubble(Bubble& b) {
    b.Phase = float(double(b.Phase) + 0.1);
    if (double(b.Phase) > 6.28) b.Phase = 0;
    b.VX = float(0.2 * std::sin(double(b.Phase)));
    b.Y = b.Y + b.VY;
    b.X = b.X + b.VX;
}

bool BubbleGone(const Bubble& b) {
    return b.Y < -b.R;
}

QPoint BubbleCorner(const Bubble& b) {
    const int x = int(RoundHalfEven(double(b.X - b.R)));
    return QPoint(x < 0 ? 0 : x, int(RoundHalfEven(double(b.Y - b.R))));
}

int BubbleAt(const std::vector<Bubble>& bubbles, float x, float y) {
    for (int i = int(bubbles.size()) - 1; i >= 0; --i) {
        const Bubble& b = bubbles[size_t(i)];
        const double dx = double(b.X - x), dy = double(b.Y - y);
        const float distance = float(std::sqrt(dx * dx + dy * dy));
        if (distance <= b.R) return i;
    }
    return -1;
}

void PlaceBelowPanel(Bubble& b, float panelWidth, float panelHeight, float divisor, float r1,
                     float r2, float r3) {
    b.Y = r1 * 20 + panelHeight + b.R;
    b.X = r2 * (panelWidth - 2 * b.R) + b.R;
    // A hand-written settings file can ask for speed 0; a division by it must not stop
    // the bubbles' timer, so the bubble keeps the speed it had.
    if (divisor != 0) b.VY = float((-double(r3) - 0.5) / double(divisor));
}

RowChange HoverStep(int32_t& HoverCount, bool pointerInCorner, bool rowVisible) {
    if (!pointerInCorner) {
        HoverCount = 0;
        return rowVisible ? RowChange::Hide : RowChange::None;
    }
    if (++HoverCount != HoverCountToShow) return RowChange::None;
    HoverCount = 0;
    return rowVisible ? RowChange::None : RowChange::Show;
}
