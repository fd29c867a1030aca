#include "cNDib.h"

#include "VbMath.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>

using namespace vb;

void cNDib::requireFilled() const {
    // Drawing hands the whole array over as the header describes it.
    if (Bits.empty() || bitsW_ != w() || bitsH_ != h()) Raise(ErrSubscriptOutOfRange);
}

int32_t cNDib::LoadDIBitmap(const QString& FileName) {
    QFile file(FileName);
    if (!file.exists()) Raise(ErrFileNotFound);
    if (!file.open(QIODevice::ReadOnly)) Raise(ErrPathFileAccess);
    const QByteArray bytes = file.read(sizeof(BITMAPINFOHEADER));
    file.close();
    if (bytes.size() < qsizetype(sizeof(BITMAPINFOHEADER))) Raise(ErrInputPastEnd);
    // The header is stored little-endian, which is this machine's order.
    std::memcpy(&Header, bytes.constData(), sizeof(BITMAPINFOHEADER));
    noteHeader();
    if (Header.biSizeImage != 0) {
        if (Header.biSizeImage > 0x7FFFFFFFu) Raise(ErrOverflow);
        return int32_t(Header.biSizeImage);
    }
    const double rowBytes = (double(Header.biBitCount) * Header.biWidth + 7) / 8;
    return CLng(rowBytes * std::fabs(double(Header.biHeight)));
}

bool cNDib::Make_From_Picture(PictureHost& picture) {
    HDC dc = picture.hDC();
    if (!dc || dc->image().isNull()) return false;
    const int32_t W = dc->width(), H = dc->height();
    if (W <= 0 || H <= 0) return false;
    // A buffer of the same size is refilled in place: every byte is overwritten, and the
    // painting code refills its page copies at every release.
    MakeUnset(W, H);
    return CopyRows(picture, 0, H - 1);
}

void cNDib::MakeUnset(int32_t W, int32_t H) {
    Header.biSize = 40;
    Header.biWidth = W;
    Header.biHeight = -H;
    Header.biPlanes = 1;
    Header.biBitCount = 32;
    Header.biCompression = BI_RGB;
    noteHeader();
    if (bitsW_ == W && bitsH_ == H && Bits.size() == size_t(W) * H * 4) return;
    // A fresh array, not a resized one: resizing would first copy the old pixels over.
    Bits = decltype(Bits)(size_t(W) * H * 4);
    bitsW_ = W;
    bitsH_ = H;
}

bool cNDib::CopyRows(PictureHost& picture, int32_t y0, int32_t y1) {
    HDC dc = picture.hDC();
    if (!dc || dc->width() != bitsW_ || dc->height() != bitsH_ || w() != bitsW_ ||
        h() != bitsH_ || Bits.size() != size_t(bitsW_) * bitsH_ * 4)
        return false;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, int32_t(bitsH_) - 1);
    if (y0 > y1) return true;
    const int32_t rows = y1 - y0 + 1;
    return GetDIBits(dc, uint32_t(y0), uint32_t(rows), pixel(0, y0), Header, DIB_RGB_COLORS) ==
           rows;
}

void cNDib::Set_dib(PictureHost& picture, bool Resize) {
    requireFilled();
    if (Resize) {
        picture.SetWidth(float(w()));
        picture.SetHeight(float(h()));
    }
    SetDIBits(picture.hDC(), 0, uint32_t(h()), Bits.data(), Header, DIB_RGB_COLORS);
}

void cNDib::Set_dib_Fit(HDC hdc, int32_t dX, int32_t dy, int32_t dWidth, int32_t dHeight) {
    requireFilled();
    Fit(hdc, Bits.data(), Header, dX, dy, dWidth, dHeight);
}

void cNDib::Fit(HDC hdc, const uint8_t* bits, const BITMAPINFOHEADER& header, int32_t dX,
                int32_t dy, int32_t dWidth, int32_t dHeight) {
    const int32_t w = header.biWidth, h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const double W = w, H = h;
    int32_t DestX, DestY, DestWidth, DestHeight;
    if (W <= H) {
        DestHeight = dHeight;
        DestWidth = CLng(dHeight / H * W);
        DestY = dy;
        DestX = CLng(dWidth / 2.0 + dX - DestWidth / 2.0);
    } else {
        DestWidth = dWidth;
        DestHeight = CLng(dWidth / W * H);
        DestX = dX;
        DestY = CLng(dHeight / 2.0 + dy - DestHeight / 2.0);
    }
    // The whole bitmap, smoothly (what Stretch_dib_area does for a source of w x h at 0, 0).
    const int32_t oldMode = GetStretchBltMode(hdc);
    SetStretchBltMode(hdc, HALFTONE);
    StretchDIBits(hdc, DestX, DestY, DestWidth, DestHeight, 0, 0, w, h, bits, header,
                  DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(hdc, oldMode);
}

void cNDib::Stretch_dib_area(int32_t DestX, int32_t DestY, int32_t SourceX, int32_t SourceY,
                             int32_t SourceWidth, int32_t SourceHeight, int32_t DestWidth,
                             int32_t DestHeight, HDC hdc) {
    requireFilled();
    const int32_t oldMode = GetStretchBltMode(hdc);
    SetStretchBltMode(hdc, HALFTONE);
    const int32_t ySrc = h() - SourceY - SourceHeight;
    StretchDIBits(hdc, DestX, DestY, DestWidth, DestHeight, SourceX, ySrc, SourceWidth,
                  SourceHeight, Bits.data(), Header, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(hdc, oldMode);
}

void cNDib::Bit_Blt_Dib(int32_t DestX, int32_t DestY, HDC hdc, uint32_t RasterOP) {
    requireFilled();
    StretchDIBits(hdc, DestX, DestY, w(), h(), 0, 0, w(), h(), Bits.data(), Header,
                  DIB_RGB_COLORS, RasterOP);
}

int32_t cNDib::Set_dib_Area(int32_t DestX, int32_t DestY, int32_t SourceX, int32_t SourceY,
                            int32_t Width, int32_t Height, HDC hdc) {
    requireFilled();
    const int32_t ySrc = h() - SourceY - Height;
    return SetDIBitsToDevice(hdc, DestX, DestY, Width, Height, SourceX, ySrc, 0, uint32_t(h()),
                             Bits.data(), Header, DIB_RGB_COLORS);
}

void cNDib::Set_Pixel_Alpha(int32_t x, int32_t y, uint8_t R, uint8_t g, uint8_t b, float Alpha) {
    if (!inside(x, y)) Raise(ErrSubscriptOutOfRange);
    uint8_t* p = pixel(x, y);
    const float keep = 1.0f - Alpha;
    const uint8_t values[3] = {b, g, R};
    for (int c = 0; c < 3; ++c) p[c] = CByte(p[c] * double(keep) + values[c] * double(Alpha));
}

void cNDib::Get_Pixel_Clamp(int32_t& x, int32_t& y, uint8_t& R, uint8_t& g, uint8_t& b) const {
    if (x > w() - 1) x = w() - 1;
    if (y > h() - 1) y = h() - 1;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (!inside(x, y)) Raise(ErrSubscriptOutOfRange);
    const uint8_t* p = pixel(x, y);
    b = p[0];
    g = p[1];
    R = p[2];
}

uint8_t cNDib::Get_Channel(int32_t x, int32_t y, int16_t ChannelIndex) const {
    if (x > w() - 1) x = w() - 1;
    if (y > h() - 1) y = h() - 1;
    if (x < 0 || y < 0 || ChannelIndex < 0 || ChannelIndex > 3 || !inside(x, y))
        Raise(ErrSubscriptOutOfRange);
    return pixel(x, y)[ChannelIndex];
}
