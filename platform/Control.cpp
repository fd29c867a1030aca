#include "Control.h"

#include "PictureArea.h"
#include "Screen.h"
#include "VbMath.h"

namespace vb {

double ContainerUnit(const QWidget* w) {
    if (w->isWindow()) return TwipsPerPixel;
    if (const auto* area = qobject_cast<const PictureArea*>(w->parentWidget()))
        return area->ScaleMode() == vbTwips ? TwipsPerPixel : 1;
    return 1;
}

int ToPixels(double value, double unit) { return int(RoundHalfEven(value / unit)); }

float ControlLeft(const QWidget* w) { return float(w->x() * ContainerUnit(w)); }
float ControlTop(const QWidget* w) { return float(w->y() * ContainerUnit(w)); }
float ControlWidth(const QWidget* w) { return float(w->width() * ContainerUnit(w)); }
float ControlHeight(const QWidget* w) { return float(w->height() * ContainerUnit(w)); }

void ControlMove(QWidget* w, float left, float top, float width, float height) {
    const double u = ContainerUnit(w);
    const int pw = width < 0 ? w->width() : std::max(0, ToPixels(width, u));
    const int ph = height < 0 ? w->height() : std::max(0, ToPixels(height, u));
    w->setGeometry(ToPixels(left, u), ToPixels(top, u), pw, ph);
}

void SetControlLeft(QWidget* w, float v) { w->move(ToPixels(v, ContainerUnit(w)), w->y()); }
void SetControlTop(QWidget* w, float v) { w->move(w->x(), ToPixels(v, ContainerUnit(w))); }
void SetControlWidth(QWidget* w, float v) {
    w->resize(std::max(0, ToPixels(v, ContainerUnit(w))), w->height());
}
void SetControlHeight(QWidget* w, float v) {
    w->resize(w->width(), std::max(0, ToPixels(v, ContainerUnit(w))));
}

} // namespace vb
