// Any bytes through the BMP layout, the wholeness check and the decoder: none may read or
// write outside its buffers, overflow, or give a picture of another size than its header.

#include "BmpDecoder.h"
#include "BmpLayout.h"
#include "PictureCheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                    qsizetype(size));
    const QByteArray head = file.left(256);
    const std::optional<vb::BmpLayout> layout = vb::ReadBmpLayout(head);
    const std::optional<QSize> sides = vb::ReadBmpSides(head);
    if (layout && (!sides || *sides != QSize(layout->Width, layout->Height))) std::abort();
    const bool whole = IsWholeBmp(file);
    if (whole && !layout) std::abort();
    // Large claims only reach the allocation, which Qt's limit refuses; filling hundreds
    // of megabytes white would slow the search for nothing.
    if (layout && int64_t(layout->Width) * layout->Height <= (int64_t(1) << 22)) {
        const QImage image = vb::DecodeBmp(file);
        if (image.isNull() || image.size() != QSize(layout->Width, layout->Height)) std::abort();
    }
    return 0;
}
