#pragma once
// The start-up's decisions that need no window: what the screen allows, and the mask
// that lets a bubble picture be drawn over any background.

#include "cNDib.h"

#include <cstdint>

enum class ScreenVerdict {
    TooSmall, // below 800 x 600 or fewer than 24 bits: the program cannot run
    Warn,     // below 1024 x 768 on the first load: the parents may stop
    Fine,
};

ScreenVerdict CheckScreen(int32_t width, int32_t height, int32_t bitsPerPixel, bool firstLoad);

// Turns a bubble picture into its mask: black over the ball (every pixel that is not
// pure black), white over the pure black surround.
void MakeBubbleMask(cNDib& picture);
