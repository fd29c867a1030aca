#pragma once
// Scrolling the thumbnail sheet inside its viewport, without widgets: the run of sheet
// positions that one arrow click animates, and the ball's place for a sheet position and
// back. Positions are viewport pixels; the sheet's top is 0 at the top and negative when
// scrolled down.

#include <cstdint>

// How far one arrow click moves the sheet.
constexpr int32_t ArrowScrollPixels = 160;

// The sheet positions one click visits: From, then every whole pixel up to and including
// To. Moves is false when the sheet is already at that end.
struct ScrollRun {
    bool Moves = false;
    int32_t From = 0;
    int32_t To = 0;
    int32_t Steps() const { return Moves ? (From > To ? From - To : To - From) + 1 : 0; }
};
// Index 0 scrolls up (towards the sheet's top), 1 down.
ScrollRun ArrowScroll(int16_t Index, double sheetTop, double sheetHeight, double viewHeight);

// The ball's travel and placement. upHeight is the up arrow's height, downTop the down
// arrow's top; S = viewHeight - sheetHeight (zero or negative), T = the ball's travel.
double BallTravel(double downTop, double ballHeight, double upHeight);
double BallTopFor(double sheetTop, double S, double T, double upHeight);
double SheetTopFor(double ballTop, double S, double T, double upHeight);

// The ball's new top while it is dragged: the point grabbed (grabY, in ball pixels) stays
// under the pointer (y, in ball pixels), kept between the arrows.
int32_t DraggedBallTop(double ballTop, double y, int32_t grabY, double upHeight, double downTop,
                       double ballHeight);
