#pragma once
// The region map of a stroke: the template with the region under the press filled in
// colour 255. The map is brought from one press's region to the next by undoing only the
// last fill, and a press in the region already filled changes nothing, so a press costs
// what its region costs rather than what the page costs.

#include "cNDib.h"

#include <QPoint>
#include <QRect>
#include <optional>

// `map` holds `templ` but within `filled`, where the last fill may lie. Brings it to the
// template with the white region around `at` filled (none when `at` is empty or not white)
// and sets `filled` to the new fill's bounds. `at` lies on the page.
void MapRegion(cNDib& map, const cNDib& templ, QRect& filled, std::optional<QPoint> at);
