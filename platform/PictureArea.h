#pragma once
// A picture area: a control with a persistent image made of its background picture plus
// everything drawn on it. Drawing through hDC() stays invisible until Refresh (at once) or
// PostRefresh (when the event loop next runs) repaints the rectangle drawn since the last.

#include "Gdi.h"
#include "PictureHost.h"
#include "StdPicture.h"

#include <QWidget>
#include <functional>

namespace vb {

// Mouse buttons and shift keys as the mouse events report them.
constexpr int16_t vbLeftButton = 1;
constexpr int16_t vbRightButton = 2;
constexpr int16_t vbMiddleButton = 4;
constexpr int16_t vbShiftMask = 1;
constexpr int16_t vbCtrlMask = 2;
constexpr int16_t vbAltMask = 4;

// To be called before the application starts. On X11 window images then go to the
// server through the connection instead of shared memory: with shared memory every repaint
// that overlaps the previous one first waits for the server to be done reading it, a
// round trip on every mouse move of a stroke, while the small rectangles a stroke repaints
// cost less to send. A setting already in the environment is kept; ours is for our own
// windows only (see ForgetOwnSettings).
void UseSocketImageTransfer();

// What a picture area of back colour `backColor` shows of its picture before anything is
// drawn: the back colour, and the picture over it from the top-left corner (a GIF's
// transparent pixels let the back colour through).
void DrawBackground(QImage& image, const StdPicture& picture, int32_t backColor);

class PictureArea : public QWidget, public PictureHost {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);

    // Background picture; with AutoSize the area takes the picture's size.
    const StdPicture& Picture() const { return picture_; }
    void setPicture(const StdPicture& picture);
    // Picture = Image: what is drawn becomes the picture. The two share their pixels, so
    // nothing is copied or redrawn (the screen already shows them).
    void KeepImageAsPicture();
    // The persistent image as a picture (background plus drawing).
    StdPicture Image() { return StdPicture(dc().image().copy()); }
    HDC hDC() override { return &dc(); }

    void Cls();
    // Repaints what was drawn since the last refresh before returning.
    void Refresh();
    // The same repaint, posted: it is made when the event loop next runs, merged with any
    // refreshes posted before then. For handlers that return to the event loop at once.
    void PostRefresh();

    float ScaleWidth() const { return float(width() * scaleUnit()); }
    float ScaleHeight() const { return float(height() * scaleUnit()); }
    int16_t ScaleMode() const { return scaleMode_; }
    void setScaleMode(int16_t mode) { scaleMode_ = mode; }

    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float v);
    void setTop(float v);
    void SetWidth(float v) override;
    void SetHeight(float v) override;
    void Move(float left, float top, float width = -1, float height = -1);

    int32_t Point(float x, float y);
    void PSet(float x, float y, int32_t color);
    void Line(float x1, float y1, float x2, float y2, int32_t color);
    float CurrentX = 0;
    float CurrentY = 0;
    int16_t DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int16_t w) { drawWidth_ = w < 1 ? 1 : w; }

    int32_t FillColor() const { return dc_.fillColor; }
    void setFillColor(int32_t c) { dc_.fillColor = c; }
    // 0 solid, 1 transparent (a flood fill then paints nothing).
    int16_t FillStyle() const { return dc_.fillSolid ? 0 : 1; }
    void setFillStyle(int16_t s) { dc_.fillSolid = (s == 0); }
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t c);
    int32_t ForeColor() const { return foreColor_; }
    void setForeColor(int32_t c) { foreColor_ = c; }

    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // The control's own Visible and Enabled settings (not whether its container shows).
    bool Visible() const { return !isHidden(); }
    bool Enabled() const { return isEnabledTo(nullptr); }
    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString& t) { setToolTip(t); }
    const StdPicture& MouseIcon() const { return mouseIcon_; }
    void setMouseIcon(const StdPicture& icon);
    int16_t MousePointer() const { return mousePointer_; }
    void setMousePointer(int16_t p);
    int16_t OLEDropMode() const { return oleDropMode_; }
    void setOLEDropMode(int16_t m);

signals:
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void Click();
    void DblClick();
    // The second press of a double click, any button. The toolkit reports it as DblClick
    // (left button) in place of MouseDown; an area where every press counts, such as the
    // canvas, takes it as a press. No later press of a burst whose first press went
    // elsewhere is reported (ClickBurst.h), double click or not, nor its moves and release.
    void DblClickPress(int16_t Button, int16_t Shift, float X, float Y);
    void OLEDragDrop(const QStringList& files, int16_t Button, int16_t Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    DeviceContext& dc() {
        syncImageSize();
        return dc_;
    }
    void syncImageSize();
    double scaleUnit() const { return scaleMode_ == 1 ? 15.0 : 1.0; }
    void redrawBackground(QImage& image) const;
    void applyCursor();
    void drawWithPen(int32_t color, const std::function<void(class QPainter&)>& draw, QRectF area);

    DeviceContext dc_;
    StdPicture picture_;
    StdPicture mouseIcon_;
    int32_t backColor_ = 0xC0C0C0; // the toolkit's button-face grey
    int32_t foreColor_ = 0;
    int16_t drawWidth_ = 1;
    int16_t scaleMode_ = 3;
    int16_t mousePointer_ = 0;
    int16_t oleDropMode_ = 0;
    bool autoSize_ = false;
    int16_t pressedButton_ = 0;
    // Buttons held since a press this area reported: only their moves and releases count.
    int16_t reportedButtons_ = 0;
};

} // namespace vb
