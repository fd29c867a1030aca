#pragma once
// The shared 32-bit pixel buffer: exactly the memory of a top-down 32-bit
// device-independent bitmap (blue, green, red, unused; rows of 4*W bytes, row 0 on top),
// so the whole buffer goes to the drawing calls as it is. Width and Height report the
// last index, not the size.

#include "Gdi.h"
#include "PictureHost.h"
#include "VbError.h"

#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// Leaves new bytes unset. Every buffer is filled before it is read, and zeroing a page of
// the largest picture first (48 MB, faulted in page by page) would cost a press a frame.
template <typename T> struct UnsetAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <typename U> UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... A> void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};

class cNDib {
public:
    vb::BITMAPINFOHEADER Header;
    std::vector<uint8_t, UnsetAllocator<uint8_t>> Bits;

    int32_t LoadDIBitmap(const QString& FileName);
    bool Make_From_Picture(vb::PictureHost& picture);
    // A top-down 32-bit buffer of W x H whose pixels are not set yet (kept when it already
    // has that size).
    void MakeUnset(int32_t W, int32_t H);
    // Rows y0 to y1 of the picture, into a buffer of its size; false when the sizes differ.
    bool CopyRows(vb::PictureHost& picture, int32_t y0, int32_t y1);
    void Set_dib(vb::PictureHost& picture, bool Resize = false);
    void Set_dib_Fit(vb::HDC hdc, int32_t dX, int32_t dy, int32_t dWidth, int32_t dHeight);
    // What Set_dib_Fit draws, for a top-down 32-bit bitmap held elsewhere (rows of 4 * W
    // bytes), so that a picture already in memory needs no copy in a buffer to be fitted.
    static void Fit(vb::HDC hdc, const uint8_t* bits, const vb::BITMAPINFOHEADER& header,
                    int32_t dX, int32_t dy, int32_t dWidth, int32_t dHeight);
    void Stretch_dib_area(int32_t DestX, int32_t DestY, int32_t SourceX, int32_t SourceY,
                          int32_t SourceWidth, int32_t SourceHeight, int32_t DestWidth,
                          int32_t DestHeight, vb::HDC hdc);
    void Bit_Blt_Dib(int32_t DestX, int32_t DestY, vb::HDC hdc, uint32_t RasterOP);
    int32_t Set_dib_Area(int32_t DestX, int32_t DestY, int32_t SourceX, int32_t SourceY,
                         int32_t Width, int32_t Height, vb::HDC hdc);

    int32_t Width() const { return w() - 1; }
    int32_t Height() const { return h() - 1; }
    int32_t BPP() const { return Header.biBitCount; }

    inline void Set_Pixel(int32_t x, int32_t y, uint8_t R, uint8_t g, uint8_t b);
    inline void Get_Pixel(int32_t x, int32_t y, uint8_t& R, uint8_t& g, uint8_t& b) const;
    void Set_Pixel_Alpha(int32_t x, int32_t y, uint8_t R, uint8_t g, uint8_t b, float Alpha);
    void Get_Pixel_Clamp(int32_t& x, int32_t& y, uint8_t& R, uint8_t& g, uint8_t& b) const;
    inline int32_t Get_Pixel_Long(int32_t x, int32_t y) const;
    uint8_t Get_Channel(int32_t x, int32_t y, int16_t ChannelIndex) const;

    // Pixel count across and down, taken from the header.
    int32_t w() const { return Header.biWidth; }
    int32_t h() const { return Header.biHeight < 0 ? -Header.biHeight : Header.biHeight; }
    bool isEmpty() const { return Bits.empty(); }
    // Address of pixel (x, y); the caller keeps inside the buffer.
    uint8_t* pixel(int32_t x, int32_t y) { return Bits.data() + 4 * (x + size_t(bitsW_) * y); }
    const uint8_t* pixel(int32_t x, int32_t y) const {
        return Bits.data() + 4 * (x + size_t(bitsW_) * y);
    }

private:
    // Inside the pixel array's own bounds, which LoadDIBitmap can set apart from the header.
    bool inside(int32_t x, int32_t y) const {
        return uint64_t(int64_t(x)) < uint64_t(bitsW_) && uint64_t(int64_t(y)) < uint64_t(bitsH_);
    }
    // 64-bit so that the 32-bit pixel stores of the painting loops cannot alias them and
    // the compiler keeps them in registers.
    int64_t bitsW_ = 0;
    int64_t bitsH_ = 0;
    // The header's size, kept beside it for the same reason.
    int64_t headW_ = 0;
    int64_t headH_ = 0;
    void noteHeader() {
        headW_ = w();
        headH_ = h();
    }
    void requireFilled() const;
};

inline void cNDib::Set_Pixel(int32_t x, int32_t y, uint8_t R, uint8_t g, uint8_t b) {
    if (!inside(x, y)) return;
    // One 32-bit store that keeps the fourth byte.
    auto* p = reinterpret_cast<uint32_t*>(pixel(x, y));
    *p = (*p & 0xFF000000u) | b | (uint32_t(g) << 8) | (uint32_t(R) << 16);
}

inline void cNDib::Get_Pixel(int32_t x, int32_t y, uint8_t& R, uint8_t& g, uint8_t& b) const {
    if (!inside(x, y)) return;
    const uint8_t* p = pixel(x, y);
    b = p[0];
    g = p[1];
    R = p[2];
}

inline int32_t cNDib::Get_Pixel_Long(int32_t x, int32_t y) const {
    int64_t cx = x < 0 ? 0 : (x > headW_ - 1 ? headW_ - 1 : x);
    int64_t cy = y < 0 ? 0 : (y > headH_ - 1 ? headH_ - 1 : y);
    if (!inside(int32_t(cx), int32_t(cy))) vb::Raise(vb::ErrSubscriptOutOfRange);
    const uint32_t v = *reinterpret_cast<const uint32_t*>(pixel(int32_t(cx), int32_t(cy)));
    return int32_t(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
}
