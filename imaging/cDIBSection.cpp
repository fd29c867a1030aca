#include "cDIBSection.h"

#include "VbError.h"
#include "VbMath.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

using namespace vb;

namespace {

// Each section gets a handle of its own, never 0.
uintptr_t nextHandle() {
    static uintptr_t last = 0;
    return ++last;
}

} // namespace

bool cDIBSection::CreateDIB(HDC lhDC, int32_t lWidth, int32_t lHeight, uintptr_t& hDib) {
    SectionInfo = BITMAPINFOHEADER{};
    SectionInfo.biSize = sizeof(BITMAPINFOHEADER);
    SectionInfo.biWidth = lWidth;
    SectionInfo.biHeight = lHeight;
    SectionInfo.biPlanes = 1;
    SectionInfo.biBitCount = 24;
    SectionInfo.biCompression = BI_RGB;
    hDib = 0;
    if (lWidth <= 0 || lHeight <= 0 || lWidth > (std::numeric_limits<int32_t>::max() - 3) / 3)
        return false;
    const int64_t size = int64_t(BytesPerScanLine()) * lHeight;
    if (size > std::numeric_limits<int32_t>::max()) return false;
    SectionInfo.biSizeImage = uint32_t(size);
    try {
        bits_.assign(size_t(size), 0);
        // The context's image must be possible too, or the blits could not reach the bytes.
        if (MemoryDC) {
            MemoryDC->setImage(QImage(lWidth, lHeight, QImage::Format_RGB32));
            if (MemoryDC->image().isNull()) throw std::bad_alloc();
            MemoryDC->takeDirty();
            imageStale_ = true;
        }
    } catch (const std::bad_alloc&) {
        std::vector<uint8_t>().swap(bits_);
        BitsAddress = nullptr;
        return false;
    }
    BitsAddress = bits_.data();
    hDib = nextHandle();
    return true;
}

bool cDIBSection::Create(int32_t lWidth, int32_t lHeight) {
    ClearUp();
    MemoryDC = std::make_unique<DeviceContext>();
    if (CreateDIB(MemoryDC.get(), lWidth, lHeight, DibHandle)) return true;
    MemoryDC.reset();
    return false;
}

void cDIBSection::CreateFromPicture(const StdPicture& picThis) {
    if (!Create(picThis.width(), picThis.height())) return;
    // The blit of the whole picture, done by sharing its pixels with the context; the bytes
    // take them over only when someone asks for the bytes.
    MemoryDC->setImage(picThis.image());
    imageStale_ = false;
}

void cDIBSection::pullDrawing() {
    if (!MemoryDC || !BitsAddress) return;
    const QRect r = MemoryDC->takeDirty();
    if (r.isEmpty()) return;
    const QImage& img = MemoryDC->image();
    const int32_t stride = BytesPerScanLine(), h = Height();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        uint8_t* d = BitsAddress + size_t(stride) * (h - 1 - y);
        for (int x = r.left(); x <= r.right(); ++x) {
            const uint32_t p = s[x];
            d[3 * x] = uint8_t(p);
            d[3 * x + 1] = uint8_t(p >> 8);
            d[3 * x + 2] = uint8_t(p >> 16);
        }
    }
}

void cDIBSection::pushBits() {
    if (!imageStale_ || !MemoryDC || !BitsAddress) return;
    pullDrawing();
    QImage& img = MemoryDC->image();
    const int32_t stride = BytesPerScanLine(), w = Width(), h = Height();
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<uint32_t*>(img.scanLine(y));
        const uint8_t* s = BitsAddress + size_t(stride) * (h - 1 - y);
        for (int x = 0; x < w; ++x, s += 3)
            d[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
    }
    imageStale_ = false;
}

HDC cDIBSection::hdc() {
    pushBits();
    return MemoryDC.get();
}

const QImage* cDIBSection::CurrentImage() const {
    return MemoryDC && BitsAddress && !imageStale_ ? &MemoryDC->image() : nullptr;
}

uint8_t* cDIBSection::DIBSectionBitsPtr() {
    pullDrawing();
    // The caller may write through the pointer.
    if (BitsAddress) imageStale_ = true;
    return BitsAddress;
}

void cDIBSection::LoadPictureBlt(HDC lhDC, int32_t lSrcLeft, int32_t lSrcTop, int32_t lSrcWidth,
                                 int32_t lSrcHeight, uint32_t eRop) {
    const int32_t w = lSrcWidth < 0 ? Width() : lSrcWidth;
    const int32_t h = lSrcHeight < 0 ? Height() : lSrcHeight;
    pushBits();
    BitBlt(MemoryDC.get(), 0, 0, w, h, lhDC, lSrcLeft, lSrcTop, eRop);
    pullDrawing();
}

void cDIBSection::PaintPicture(HDC lhDC, int32_t lDestLeft, int32_t lDestTop, int32_t lDestWidth,
                               int32_t lDestHeight, int32_t lSrcLeft, int32_t lSrcTop,
                               uint32_t eRop) {
    const int32_t w = lDestWidth < 0 ? Width() : lDestWidth;
    const int32_t h = lDestHeight < 0 ? Height() : lDestHeight;
    pushBits();
    BitBlt(lhDC, lDestLeft, lDestTop, w, h, MemoryDC.get(), lSrcLeft, lSrcTop, eRop);
    pullDrawing(); // the destination may be this section's own context
}

void cDIBSection::ClearUp() {
    MemoryDC.reset();
    std::vector<uint8_t>().swap(bits_);
    DibHandle = 0;
    BitsAddress = nullptr;
    imageStale_ = false;
}

bool cDIBSection::CopyToClipboard(bool bAsDIB) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return false;
    // What a device-independent copy would carry is not settled, so none is made. An
    // empty section has nothing to copy either.
    if (bAsDIB || !MemoryDC) return false;
    QImage image(Width(), Height(), QImage::Format_RGB32);
    if (image.isNull()) return false;
    DeviceContext target(image);
    PaintPicture(&target, 0, 0, -1, -1, 0, 0, SRCCOPY);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(target.image());
    return !clipboard->image().isNull();
}

void cDIBSection::RandomiseBits(bool bGray) {
    Randomize();
    uint8_t* bits = DIBSectionBitsPtr();
    if (!bits) return;
    const int32_t stride = BytesPerScanLine(), w = Width(), h = Height();
    auto level = [] { return uint8_t(RoundHalfEven(double(Rnd() * 255.0f))); };
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* p = bits + size_t(stride) * y;
        for (int32_t x = 0; x < w; ++x, p += 3) {
            if (bGray) {
                const uint8_t v = level();
                p[0] = p[1] = p[2] = v;
            } else {
                p[0] = 0;
                p[1] = level();
                p[2] = level();
            }
        }
    }
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int32_t lNewHeight, int32_t lNewWidth) {
    auto target = std::make_unique<cDIBSection>();
    if (!target->Create(lNewWidth, lNewHeight)) return nullptr;
    if (lNewWidth == Width() && lNewHeight == Height())
        target->LoadPictureBlt(hdc(), 0, 0, -1, -1, SRCCOPY);
    else
        ResampleInto(*target);
    return target;
}

void cDIBSection::ResampleInto(cDIBSection& target) {
    const int32_t sw = Width(), sh = Height(), tw = target.Width(), th = target.Height();
    const int32_t sStride = BytesPerScanLine(), tStride = target.BytesPerScanLine();
    const uint8_t* src = DIBSectionBitsPtr();
    uint8_t* dst = target.DIBSectionBitsPtr();
    if (!src || !dst) Raise(ErrSubscriptOutOfRange);
    const float xScale = float(double(sw - 1) / tw);
    const float yScale = float(double(sh - 1) / th);
    for (int32_t y = 0; y < th; ++y) {
        const float yPos = yScale * float(y);
        const int32_t y0 = int32_t(std::floor(yPos));
        const float fy = yPos - float(y0);
        // Rows are read as the section's rows: the one above must exist.
        if (y0 < 0 || y0 + 1 >= sh) Raise(ErrSubscriptOutOfRange);
        const uint8_t* row0 = src + size_t(sStride) * y0;
        const uint8_t* row1 = row0 + sStride;
        uint8_t* out = dst + size_t(tStride) * y;
        for (int32_t x = 0; x < tw; ++x) {
            const float xPos = xScale * float(x);
            const int32_t x0 = int32_t(std::floor(xPos));
            const float fx = xPos - float(x0);
            // Every byte of the right-hand neighbour must lie inside the row.
            if (x0 < 0 || 3 * (x0 + 1) + 2 >= sStride) Raise(ErrSubscriptOutOfRange);
            for (int c = 0; c < 3; ++c) {
                // Products of a single-precision fraction and a byte are exact in double,
                // so each weighted sum is the exact value before it is rounded.
                const double left = RoundHalfEven((1.0 - double(fy)) * row0[3 * x0 + c] +
                                                  double(fy) * row1[3 * x0 + c]);
                const double right = RoundHalfEven((1.0 - double(fy)) * row0[3 * x0 + 3 + c] +
                                                   double(fy) * row1[3 * x0 + 3 + c]);
                const double v = RoundHalfEven((1.0 - double(fx)) * left + double(fx) * right);
                out[3 * x + c] = uint8_t(std::clamp(v, 0.0, 255.0));
            }
        }
    }
}
