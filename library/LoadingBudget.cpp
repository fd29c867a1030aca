#include "LoadingBudget.h"

#include "BmpLayout.h"

#include <QFile>
#include <QMutexLocker>

#include <algorithm>

qint64 LoadingCost(const QString& source, qint64 unknown) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) return unknown;
    const PictureHeader header = ReadPictureHeader(file);
    if (!header.Size.isValid()) return unknown;
    // A header can claim up to 2^62 pixels; no reader decodes that many.
    const qint64 pixels =
        std::min<qint64>(qint64(header.Size.width()) * header.Size.height(), vb::MaxDecodedPixels);
    // The program's own decoder holds the whole file beside its 32-bit picture.
    if (header.Format == "bmp" && vb::NeedsOwnBmpDecoder(source)) return file.size() + pixels * 8;
    return pixels * (header.Format == "gif" && !header.NeedsSecondImage ? 4 : 8);
}

void LoadingBudget::Acquire(qint64 cost) {
    QMutexLocker lock(&mutex_);
    const uint64_t ticket = nextTicket_++;
    while (ticket != serving_ || (held_ > 0 && held_ + cost > limit_)) changed_.wait(&mutex_);
    held_ += cost;
    ++serving_;
    changed_.wakeAll();
}

void LoadingBudget::Release(qint64 cost) {
    QMutexLocker lock(&mutex_);
    held_ -= cost;
    changed_.wakeAll();
}
