#include "SheetScroll.h"

#include "VbMath.h"

using vb::CLng;

ScrollRun ArrowScroll(int16_t Index, double sheetTop, double sheetHeight, double viewHeight) {
    ScrollRun run;
    if (Index == 1) {
        // Only while the sheet's bottom is below the viewport's bottom.
        if (!(sheetHeight + sheetTop > viewHeight)) return run;
        run.To = sheetHeight + sheetTop - ArrowScrollPixels <= viewHeight
                     ? CLng(viewHeight - sheetHeight)
                     : CLng(sheetTop - ArrowScrollPixels);
    } else {
        if (!(sheetTop < 0)) return run;
        run.To = sheetTop + ArrowScrollPixels >= 0 ? 0 : CLng(sheetTop + ArrowScrollPixels);
    }
    run.From = CLng(sheetTop);
    run.Moves = true;
    return run;
}

double BallTravel(double downTop, double ballHeight, double upHeight) {
    return downTop - ballHeight - upHeight;
}

double BallTopFor(double sheetTop, double S, double T, double upHeight) {
    return upHeight + (sheetTop / S) * T;
}

double SheetTopFor(double ballTop, double S, double T, double upHeight) {
    return ((ballTop - upHeight) / T) * S;
}

int32_t DraggedBallTop(double ballTop, double y, int32_t grabY, double upHeight, double downTop,
                       double ballHeight) {
    int32_t n = CLng(ballTop + y - grabY);
    if (upHeight > n) n = CLng(upHeight);
    if (downTop < n + ballHeight) n = CLng(downTop - ballHeight);
    return n;
}
