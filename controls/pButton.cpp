#include "pButton.h"

#include "Screen.h"
#include "VbError.h"
#include "VbMath.h"

#include <algorithm>
#include <new>

using namespace vb;

namespace {
constexpr int32_t ErrInvalidPropertyValue = 380;
constexpr int32_t ButtonGrey = 0xC0C0C0;
constexpr int32_t vbDropEffectCopy = 1;
} // namespace

pButton::pButton(QWidget* parent) : QWidget(parent) {
    P = new PictureArea(this);
    P->setBackColor(ButtonGrey);
    P->setAutoSize(true);
    P->move(0, 0);
    pT = new PictureArea(this);
    pT->setBackColor(ButtonGrey);
    pT->setAutoSize(true);
    pT->hide();

    connect(P, &PictureArea::MouseDown, this,
            [this](int16_t Button, int16_t Shift, float x, float y) {
                drawFace(DownImage.get());
                emit MouseDown(Button, Shift, x, y);
            });
    connect(P, &PictureArea::MouseUp, this, [this](int16_t, int16_t, float, float) {
        drawFace(UpImage.get());
        // A latched button shows its pressed face again.
        setPressed(pressed_);
        emit MouseUp();
    });
    connect(P, &PictureArea::MouseMove, this,
            [this](int16_t Button, int16_t Shift, float x, float y) {
                emit MouseMove(Button, Shift, x, y);
            });
    connect(P, &PictureArea::Click, this, [this] { emit click(); });
    connect(P, &PictureArea::OLEDragDrop, this,
            [this](const QStringList& files, int16_t Button, int16_t Shift, float x, float y) {
                emit OLEDragDrop(files, vbDropEffectCopy, Button, Shift, x, y);
            });
}

pButton::~pButton() = default;

void pButton::picture(const StdPicture& Pc) {
    P->setPicture(Pc);
}

void pButton::Picture2(const QString& FileName) {
    P->setPicture(LoadPicture(FileName));
}

std::unique_ptr<cNDib> pButton::loadFace(const StdPicture& face) {
    pT->setPicture(face);
    auto dib = std::make_unique<cNDib>();
    dib->Make_From_Picture(*pT);
    return dib;
}

int32_t pButton::SetPicture(const StdPicture& pUP, const StdPicture& pDOWN,
                            const StdPicture& pPRESSED, const StdPicture& pDISABLED) {
    try {
        if (!pUP.isEmpty()) {
            UpImage = loadFace(pUP);
            if (pDISABLED.isEmpty()) {
                // pT still holds pUP.
                GreyImage = std::make_unique<cNDib>();
                GreyImage->Make_From_Picture(*pT);
                cNDib& g = *GreyImage;
                for (int32_t y = 0; y <= g.Height(); ++y) {
                    for (int32_t x = 0; x <= g.Width(); ++x) {
                        uint8_t R = 0, G = 0, B = 0;
                        g.Get_Pixel(x, y, R, G, B);
                        double grey = 255;
                        if (!(R == 255 && G == 255 && B == 255))
                            grey =
                                std::min(255.0, RoundHalfEven(R * 0.255 + G * 0.587 + B * 0.114));
                        const auto v = uint8_t(grey);
                        g.Set_Pixel(x, y, v, v, v);
                    }
                }
            }
            // The size follows the face's last indices whatever AutoSize holds, and P
            // is one pixel wider and taller than the control.
            setWidth(Screen::TwipsPerPixelX() * UpImage->Width());
            setHeight(Screen::TwipsPerPixelY() * UpImage->Height());
            P->setGeometry(0, 0, width() + 1, height() + 1);
        }
        if (!pDOWN.isEmpty()) DownImage = loadFace(pDOWN);
        if (!pPRESSED.isEmpty()) PressedImage = loadFace(pPRESSED);
        if (!pDISABLED.isEmpty()) DisabledImage = loadFace(pDISABLED);
        pT->setPicture(LoadPicture(QString()));
        setEnabled(P->Enabled());
    } catch (const VbError& e) {
        return e.Number;
    } catch (const std::bad_alloc&) {
        return ErrOutOfMemory;
    }
    return 0;
}

int32_t pButton::Width() const {
    return CLng(double(width()) * Screen::TwipsPerPixelX());
}
int32_t pButton::Height() const {
    return CLng(double(height()) * Screen::TwipsPerPixelY());
}

void pButton::setWidth(int32_t twips) {
    if (twips < 0) Raise(ErrInvalidPropertyValue);
    resize(ToPixels(twips, Screen::TwipsPerPixelX()), height());
}

void pButton::setHeight(int32_t twips) {
    if (twips < 0) Raise(ErrInvalidPropertyValue);
    resize(width(), ToPixels(twips, Screen::TwipsPerPixelY()));
}

void pButton::drawFace(cNDib* face) {
    if (!face || face->isEmpty()) return;
    face->Stretch_dib_area(0, 0, 0, 0, face->Width(), face->Height(), CLng(P->ScaleWidth() - 1),
                           CLng(P->ScaleHeight() - 1), P->hDC());
    if (!lockRefresh_) P->Refresh();
}

void pButton::setEnabled(bool v) {
    P->QWidget::setEnabled(v);
    P->setToolTipText(ToolText());
    if (P->Enabled())
        drawFace(UpImage.get());
    else if (DisabledImage && !DisabledImage->isEmpty())
        drawFace(DisabledImage.get());
    else
        drawFace(GreyImage.get());
}

void pButton::setPressed(bool v) {
    pressed_ = v;
    drawFace(v ? PressedImage.get() : UpImage.get());
}

void pButton::setLockRefresh(bool v) {
    lockRefresh_ = v;
    if (!v) P->Refresh();
}

void pButton::MouseIcon(const StdPicture& vNewValue) {
    P->setMouseIcon(vNewValue);
    P->setMousePointer(vbCustom);
}
