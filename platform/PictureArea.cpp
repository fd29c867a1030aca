#include "PictureArea.h"

#include "ClickBurst.h"
#include "Control.h"
#include "Screen.h"
#include "Shell.h"
#include "VbMath.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>

namespace vb {

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves are reported with no button held too (Button 0), as the toolkit does.
    setMouseTracking(true);
    WatchClickBursts();
    dc_.setImage(QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32));
    redrawBackground(dc_.image());
}

void DrawBackground(QImage& image, const StdPicture& picture, int32_t backColor) {
    image.fill(ColorValueToRgb(backColor));
    if (picture.isEmpty()) return;
    QPainter p(&image);
    p.drawImage(0, 0, picture.image());
}

void PictureArea::redrawBackground(QImage& image) const {
    DrawBackground(image, picture_, backColor_);
}

void PictureArea::setPicture(const StdPicture& picture) {
    picture_ = picture;
    if (autoSize_ && !picture_.isEmpty()) resize(picture_.width(), picture_.height());
    Cls();
}

void PictureArea::KeepImageAsPicture() {
    picture_ = StdPicture(dc().image());
    CurrentX = 0;
    CurrentY = 0;
}

void PictureArea::Cls() {
    redrawBackground(dc().image());
    dc().markAllDirty();
    CurrentX = 0;
    CurrentY = 0;
    update();
}

void PictureArea::Refresh() {
    const QRect r = dc().takeDirty();
    if (!r.isEmpty() && isVisible()) repaint(r);
}

void PictureArea::PostRefresh() {
    const QRect r = dc().takeDirty();
    if (!r.isEmpty() && isVisible()) update(r);
}

void UseSocketImageTransfer() {
    SetForOwnStartup("QT_XCB_NO_MITSHM", "1");
}

void PictureArea::setBackColor(int32_t c) {
    backColor_ = c & 0xFFFFFF;
    Cls();
}

void PictureArea::setAutoSize(bool on) {
    autoSize_ = on;
    if (autoSize_ && !picture_.isEmpty()) resize(picture_.width(), picture_.height());
}

float PictureArea::Left() const { return ControlLeft(this); }
float PictureArea::Top() const { return ControlTop(this); }
float PictureArea::Width() const { return ControlWidth(this); }
float PictureArea::Height() const { return ControlHeight(this); }
void PictureArea::setLeft(float v) { SetControlLeft(this, v); }
void PictureArea::setTop(float v) { SetControlTop(this, v); }
void PictureArea::SetWidth(float v) { SetControlWidth(this, v); }
void PictureArea::SetHeight(float v) { SetControlHeight(this, v); }
void PictureArea::Move(float l, float t, float w, float h) { ControlMove(this, l, t, w, h); }

int32_t PictureArea::Point(float x, float y) {
    const int px = ToPixels(x, scaleUnit()), py = ToPixels(y, scaleUnit());
    const QImage& img = dc().image();
    if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) return -1;
    return RgbToColorValue(reinterpret_cast<const uint32_t*>(img.constScanLine(py))[px]);
}

void PictureArea::drawWithPen(int32_t color, const std::function<void(QPainter&)>& draw,
                              QRectF area) {
    {
        QPainter p(&dc().image());
        QPen pen{QColor::fromRgb(ColorValueToRgb(color))};
        pen.setWidth(drawWidth_);
        pen.setCapStyle(drawWidth_ > 1 ? Qt::RoundCap : Qt::SquareCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        draw(p);
    }
    const int grow = drawWidth_ / 2 + 2;
    const QRect r = area.toAlignedRect().adjusted(-grow, -grow, grow, grow);
    dc().markDirty(r);
    update(r);
}

void PictureArea::PSet(float x, float y, int32_t color) {
    const double u = scaleUnit();
    const QPointF pt(x / u, y / u);
    if (drawWidth_ <= 1) {
        const int px = ToPixels(x, u), py = ToPixels(y, u);
        SetPixelV(&dc(), px, py, color);
        update(QRect(px, py, 1, 1));
    } else {
        drawWithPen(color, [&](QPainter& p) { p.drawPoint(pt); }, QRectF(pt, QSizeF(0, 0)));
    }
    CurrentX = x;
    CurrentY = y;
}

void PictureArea::Line(float x1, float y1, float x2, float y2, int32_t color) {
    const double u = scaleUnit();
    const QPointF a(x1 / u, y1 / u), b(x2 / u, y2 / u);
    drawWithPen(color, [&](QPainter& p) { p.drawLine(a, b); }, QRectF(a, b).normalized());
    CurrentX = x2;
    CurrentY = y2;
}

void PictureArea::setMouseIcon(const StdPicture& icon) {
    mouseIcon_ = icon;
    applyCursor();
}

void PictureArea::setMousePointer(int16_t p) {
    mousePointer_ = p;
    applyCursor();
}

void PictureArea::applyCursor() {
    if (mousePointer_ == vbCustom && !mouseIcon_.isEmpty())
        setCursor(mouseIcon_.toCursor());
    else if (mousePointer_ == vbHourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void PictureArea::setOLEDropMode(int16_t m) {
    oleDropMode_ = m;
    setAcceptDrops(m != 0);
}

void PictureArea::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRect r = e->rect();
    p.drawImage(r.topLeft(), dc().image(), r);
    // Beyond the persistent image (while it catches up with a resize) show the back colour.
    const QRegion outside = QRegion(r) - QRegion(dc().image().rect());
    for (const QRect& o : outside) p.fillRect(o, QColor::fromRgb(ColorValueToRgb(backColor_)));
}

void PictureArea::resizeEvent(QResizeEvent*) { syncImageSize(); }

// A hidden widget hears of its new size only when it is shown, so every use of the
// persistent image first brings it to the widget's size.
void PictureArea::syncImageSize() {
    const QSize s(std::max(1, width()), std::max(1, height()));
    if (dc_.image().size() == s) return;
    QImage fresh(s, QImage::Format_RGB32);
    redrawBackground(fresh);
    {
        QPainter p(&fresh);
        p.drawImage(0, 0, dc_.image());
    }
    const QRect oldDirty = dc_.dirty();
    dc_.setImage(fresh);
    dc_.takeDirty();
    dc_.markDirty(oldDirty);
}

namespace {

int16_t buttonCode(Qt::MouseButtons b) {
    int16_t code = 0;
    if (b & Qt::LeftButton) code |= vbLeftButton;
    if (b & Qt::RightButton) code |= vbRightButton;
    if (b & Qt::MiddleButton) code |= vbMiddleButton;
    return code;
}

int16_t shiftCode(Qt::KeyboardModifiers m) {
    int16_t code = 0;
    if (m & Qt::ShiftModifier) code |= vbShiftMask;
    if (m & Qt::ControlModifier) code |= vbCtrlMask;
    if (m & Qt::AltModifier) code |= vbAltMask;
    return code;
}

} // namespace

void PictureArea::mousePressEvent(QMouseEvent* e) {
    // A later press of a burst whose first press went elsewhere is no press of ours, nor
    // are its moves and release.
    if (!PressCountsFor(this, *e)) {
        pressedButton_ = 0;
        return;
    }
    const double u = scaleUnit();
    pressedButton_ = buttonCode(e->button());
    reportedButtons_ = (reportedButtons_ & buttonCode(e->buttons())) | pressedButton_;
    emit MouseDown(pressedButton_, shiftCode(e->modifiers()), float(e->position().x() * u),
                   float(e->position().y() * u));
}

void PictureArea::mouseMoveEvent(QMouseEvent* e) {
    const double u = scaleUnit();
    reportedButtons_ &= buttonCode(e->buttons());
    emit MouseMove(reportedButtons_, shiftCode(e->modifiers()), float(e->position().x() * u),
                   float(e->position().y() * u));
}

void PictureArea::mouseReleaseEvent(QMouseEvent* e) {
    const double u = scaleUnit();
    const int16_t button = buttonCode(e->button());
    const bool reported = reportedButtons_ & button;
    reportedButtons_ &= buttonCode(e->buttons()) & ~button;
    if (!reported) return;
    emit MouseUp(button, shiftCode(e->modifiers()), float(e->position().x() * u),
                 float(e->position().y() * u));
    if (button == vbLeftButton && pressedButton_ == vbLeftButton &&
        rect().contains(e->position().toPoint()))
        emit Click();
    pressedButton_ = 0;
}

void PictureArea::mouseDoubleClickEvent(QMouseEvent* e) {
    // The toolkit pairs a press with the press before it anywhere in the program, so a
    // second press lands here as a double click even when the first closed a window that
    // lay over this area. Such a press belongs to the burst that closed the window.
    pressedButton_ = 0;
    if (!PressCountsFor(this, *e)) return;
    // The second press raises DblClick in place of MouseDown, and its release no Click, as
    // the window toolkit the program was made for reports them.
    const double u = scaleUnit();
    reportedButtons_ |= buttonCode(e->button());
    emit DblClickPress(buttonCode(e->button()), shiftCode(e->modifiers()),
                       float(e->position().x() * u), float(e->position().y() * u));
    if (e->button() == Qt::LeftButton) emit DblClick();
}

void PictureArea::dragEnterEvent(QDragEnterEvent* e) {
    if (oleDropMode_ != 0 && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void PictureArea::dropEvent(QDropEvent* e) {
    QStringList files;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    const double u = scaleUnit();
    emit OLEDragDrop(files, buttonCode(e->buttons()), shiftCode(e->modifiers()),
                     float(e->position().x() * u), float(e->position().y() * u));
    e->acceptProposedAction();
}

} // namespace vb
