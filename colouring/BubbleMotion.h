#pragma once
// The colour bubbles without their panel: a tick's wobble and rise, where a bubble's
// sprite goes, which bubble a click hits, the respawn below the panel, and the count
// that brings the function row back after the pointer has rested in its corner.

#include <QPoint>
#include <cstdint>
#include <vector>

struct Bubble;

// One tick: the wobble's phase moves on, the bubble drifts sideways with it and rises.
void MoveBubble(Bubble& b);

// True once the bubble has wholly left the top of the panel.
bool BubbleGone(const Bubble& b);

// Top-left corner of the bubble's sprite: never left of the panel, but above its top as
// far as the bubble has risen.
QPoint BubbleCorner(const Bubble& b);

// Index of the topmost (last drawn) bubble whose disc holds (x, y); -1 for none.
int BubbleAt(const std::vector<Bubble>& bubbles, float x, float y);

// Puts the bubble just below a panel of the given size, somewhere across it, rising at a
// speed divided by `divisor`; r1 to r3 are three draws in [0, 1). A divisor of 0 leaves
// the speed as it was.
void PlaceBelowPanel(Bubble& b, float panelWidth, float panelHeight, float divisor, float r1,
                     float r2, float r3);

// Pointer ticks in the corner needed before the function row shows again.
constexpr int32_t HoverCountToShow = 1500;

enum class RowChange { None, Show, Hide };

// One auto-hide step, counted once per bubble and tick.
RowChange HoverStep(int32_t& HoverCount, bool pointerInCorner, bool rowVisible);
