#pragma once
// What the image buffers need of a picture area: its persistent image (through its
// drawing context) and its outer size. Keeps the imaging code free of widgets.

#include "Gdi.h"

namespace vb {

class PictureHost {
public:
    virtual ~PictureHost() = default;
    virtual HDC hDC() = 0;
    // Outer size in the units of the area's container.
    virtual void SetWidth(float width) = 0;
    virtual void SetHeight(float height) = 0;
};

} // namespace vb
