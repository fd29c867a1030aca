#pragma once
// Brush stamping: the crayon and the paintbrush blend one brush shape into the canvas
// buffer per mouse move, only inside the stroke's region, and show the changed rectangle.

#include "Gdi.h"
#include "cNDib.h"

#include <cstdint>

// Stamps Brush centred on (X, Y) into Canvas, where RegionMap shows RegionColor. Only the
// brush's blue channel is read: 255 keeps the canvas, 0 lays full paint. A Color of 0 or
// more is the paint; a negative Color takes the paint from Pattern instead (no region test
// then), anchored so that (PatternX, PatternY) lies under the centre, or tiled when both
// are -1000. hDC nullptr updates no screen; Scale 1.0 copies the footprint 1:1, any other
// Scale stretches it by Scale from (OriginX, OriginY).
void StampBrush(cNDib& Canvas, const cNDib& RegionMap, const cNDib& Brush, int32_t X, int32_t Y,
                int32_t RegionColor, int32_t Color, const cNDib* Pattern, vb::HDC hDC,
                int32_t PatternX, int32_t PatternY, float Scale, int32_t OriginX, int32_t OriginY);
