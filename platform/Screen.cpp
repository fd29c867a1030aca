#include "Screen.h"

#include <QGuiApplication>
#include <QCursor>
#include <QScreen>

namespace vb {

namespace {
QSize overrideSize;
int32_t overrideDepth = 0;
int16_t pointer = vbDefault;

QScreen* primary() { return QGuiApplication::primaryScreen(); }
} // namespace

int32_t Screen::PixelWidth() {
    if (!overrideSize.isEmpty()) return overrideSize.width();
    return primary() ? primary()->geometry().width() : 0;
}

int32_t Screen::PixelHeight() {
    if (!overrideSize.isEmpty()) return overrideSize.height();
    return primary() ? primary()->geometry().height() : 0;
}

int32_t Screen::BitsPerPixel() {
    if (overrideDepth) return overrideDepth;
    const int depth = primary() ? primary()->depth() : 0;
    // A 24-bit X visual is laid out in 32-bit pixels; both are true colour.
    return depth == 24 ? 32 : depth;
}

int16_t Screen::MousePointer() { return pointer; }

void Screen::SetMousePointer(int16_t p) {
    if (p == pointer) return;
    if (pointer == vbHourglass) QGuiApplication::restoreOverrideCursor();
    pointer = p;
    if (pointer == vbHourglass) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void Screen::Override(QSize pixels, int32_t bitsPerPixel) {
    overrideSize = pixels;
    overrideDepth = pixels.isEmpty() ? 0 : bitsPerPixel;
}

int32_t GetDeviceCaps(int32_t index) {
    switch (index) {
    case HORZRES: return Screen::PixelWidth();
    case VERTRES: return Screen::PixelHeight();
    case BITSPIXEL: return Screen::BitsPerPixel();
    default: return 0;
    }
}

} // namespace vb
