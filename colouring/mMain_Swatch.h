#pragma once
// The colour swatch around the canvas: a soft shadow round a box and a band that fades
// down from a colour into the picture underneath, drawn pixel by pixel on a picture
// area's persistent image. Also the colour splitter shared by the painting code.

#include "PictureArea.h"

#include <cstdint>
#include <vector>

struct ShadowInfo {
    int32_t Left = 0, Top = 0; // top-left corner of the box that casts the shadow
    int32_t Width = 0, Height = 0;
    int32_t Radius = 0; // corner radius of the box
    bool Visible = false;
    int32_t Size = 0; // width of the shadow
    int32_t OffsetX = 0, OffsetY = 0;
    uint8_t R = 0, G = 0, B = 0; // the colour the shadow fades into
};

struct RGBTriple {
    uint8_t R = 0, G = 0, B = 0;
};

struct GradientInfo {
    int32_t Direction = 1;
    std::vector<RGBTriple> Colors;
};

// Red, green and blue bytes of a colour value; the fourth byte is ignored. A negative
// colour (the invalid colour of a point outside a picture) raises an overflow.
void SplitRGB(int32_t Color, uint8_t& R, uint8_t& G, uint8_t& B);

// Black along the box's outline, fading to the Info colour Size pixels away, with
// rounded corners. Pixels outside the picture are dropped.
void DrawShadow(vb::PictureArea& Pic, ShadowInfo& Info);

// Rows Y to Y + H: the first row shows Colors(0), each further row blends more of the
// picture underneath while the band's own colour moves towards Colors(1); the last row
// leaves the picture as it was. -1 in X or Y means 0, -1 in W or H the picture's size;
// the defaults are written back. Points outside the picture are skipped.
void DrawGradient(GradientInfo& Info, vb::PictureArea& Pic, int32_t& X, int32_t& Y, int32_t& W,
                  int32_t& H);
