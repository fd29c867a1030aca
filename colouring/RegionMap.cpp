#include "RegionMap.h"

#include "Gdi.h"

#include <cstring>

using namespace vb;

namespace {
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kRegion = 255;
} // namespace

void MapRegion(cNDib& map, const cNDib& templ, QRect& filled, std::optional<QPoint> at) {
    // Inside the last fill a white template pixel that the map holds filled was reached by
    // that fill, so its region is the one mapped already.
    if (at && !filled.isEmpty() && templ.Get_Pixel_Long(at->x(), at->y()) == kWhite &&
        map.Get_Pixel_Long(at->x(), at->y()) == kRegion)
        return;
    const QRect last = filled & QRect(0, 0, map.w(), map.h());
    for (int y = last.top(); y <= last.bottom(); ++y)
        std::memcpy(map.pixel(last.left(), y), templ.pixel(last.left(), y),
                    size_t(last.width()) * 4);
    filled = QRect();
    if (!at) return;
    // The fill works on the map's own pixels: the image wraps them, and as its only holder
    // it writes through to them.
    DeviceContext dc(QImage(map.pixel(0, 0), map.w(), map.h(), qsizetype(map.w()) * 4,
                            QImage::Format_RGB32));
    dc.takeDirty();
    dc.fillColor = kRegion;
    dc.fillSolid = true;
    ExtFloodFill(&dc, at->x(), at->y(), kWhite, FLOODSURFACE);
    filled = dc.takeDirty();
}
