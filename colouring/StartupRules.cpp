#include "StartupRules.h"

ScreenVerdict CheckScreen(int32_t width, int32_t height, int32_t bitsPerPixel, bool firstLoad) {
    if (bitsPerPixel < 24 || width < 800 || height < 600) return ScreenVerdict::TooSmall;
    if (firstLoad && (width < 1024 || height < 768)) return ScreenVerdict::Warn;
    return ScreenVerdict::Fine;
}

void MakeBubbleMask(cNDib& picture) {
    for (int32_t x = 0; x <= picture.Width(); ++x)
        for (int32_t y = 0; y <= picture.Height(); ++y) {
            if (picture.Get_Pixel_Long(x, y) != 0)
                picture.Set_Pixel(x, y, 0, 0, 0);
            else
                picture.Set_Pixel(x, y, 255, 255, 255);
        }
}
