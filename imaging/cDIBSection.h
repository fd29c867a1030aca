#pragma once
// A picture as a 24-bit bottom-up device-independent bitmap (rows padded to 4 bytes,
// blue, green, red) with a memory drawing context of its own, so that the same pixels
// can be drawn with the blits and read straight from memory (the JPEG writer does).
//
// The byte buffer is the section. The drawing context holds a 32-bit image, so the two
// are kept in step: the image is refreshed from the bytes before anything draws on or
// reads from it, and whatever was drawn on it (or a whole picture put into it) goes back
// into the bytes before the bytes are read or handed out.

#include "Gdi.h"
#include "StdPicture.h"

#include <cstdint>
#include <memory>
#include <vector>

class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection() { ClearUp(); }
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // bAsDIB False puts the picture on the clipboard as an image; True copies nothing.
    bool CopyToClipboard(bool bAsDIB = true);
    // Describes a lWidth x lHeight section and makes its pixel memory; hDib receives the
    // section's handle (0 on failure). lhDC only says where the section will be used.
    bool CreateDIB(vb::HDC lhDC, int32_t lWidth, int32_t lHeight, uintptr_t& hDib);
    void CreateFromPicture(const vb::StdPicture& picThis);
    bool Create(int32_t lWidth, int32_t lHeight);

    int32_t BytesPerScanLine() const { return (SectionInfo.biWidth * 3 + 3) & ~3; }
    int32_t Width() const { return SectionInfo.biWidth; }
    int32_t Height() const { return SectionInfo.biHeight; }

    // A negative width or height means the whole section.
    void LoadPictureBlt(vb::HDC lhDC, int32_t lSrcLeft = 0, int32_t lSrcTop = 0,
                        int32_t lSrcWidth = -1, int32_t lSrcHeight = -1,
                        uint32_t eRop = vb::SRCCOPY);
    void PaintPicture(vb::HDC lhDC, int32_t lDestLeft = 0, int32_t lDestTop = 0,
                      int32_t lDestWidth = -1, int32_t lDestHeight = -1, int32_t lSrcLeft = 0,
                      int32_t lSrcTop = 0, uint32_t eRop = vb::SRCCOPY);

    // The memory context, showing the section's current pixels; nullptr when empty.
    vb::HDC hdc();
    uintptr_t hDib() const { return DibHandle; }
    // The first byte of the pixel memory (the bottom row); nullptr when empty.
    uint8_t* DIBSectionBitsPtr();
    // The same pixels as the context's 32-bit image (blue, green, red, unused; top row
    // first) while that image holds all of them, so a reader can skip the bytes; nullptr
    // while the bytes are ahead of it (DIBSectionBitsPtr handed them out) or when empty.
    const QImage* CurrentImage() const;

    void RandomiseBits(bool bGray = false);
    // Width and Height keep their values.
    void ClearUp();
    // A new section of lNewWidth x lNewHeight (height first), resampled bilinearly;
    // nullptr when it cannot be made. A source 1 pixel wide or high raises error 9.
    std::unique_ptr<cDIBSection> Resample(int32_t lNewHeight, int32_t lNewWidth);

    vb::BITMAPINFOHEADER SectionInfo;

private:
    void ResampleInto(cDIBSection& target);
    // Brings drawing done on the context back into the bytes.
    void pullDrawing();
    // Makes the context's image show the bytes.
    void pushBits();

    uintptr_t DibHandle = 0;
    std::unique_ptr<vb::DeviceContext> MemoryDC;
    uint8_t* BitsAddress = nullptr;
    std::vector<uint8_t> bits_;
    // The bytes may hold what the context's image lacks (they were handed out or written).
    bool imageStale_ = false;
};
