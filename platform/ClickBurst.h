#pragma once
// Bursts of clicks: presses of one button, each following the one before within the
// double-click interval and about the same place on the screen. Children hammer buttons,
// and a burst goes on after its first click closed a window: its later clicks land on
// whatever lay under that window. They are meant for the button, so only the control that
// received a burst's first press may take its later presses. A window closing (by a click,
// a key, the window manager, or once a sound that held it open has ended) starts such a
// burst where it lay: no control takes a press there within the interval of the close,
// nor the presses that follow it.

#include <QMouseEvent>

namespace vb {

// Watches every press the window system delivers, in every window of the program, and
// every window of the program closing. Installed once, by the first picture area made.
void WatchClickBursts();

// Whether the press (or double click) `press`, delivered to `control`, is a press for it:
// the first of its burst, or a later one whose first press `control` took. A press the
// window system never delivered (one sent straight to a control) starts a burst of its own.
bool PressCountsFor(const QObject* control, const QMouseEvent& press);

} // namespace vb
