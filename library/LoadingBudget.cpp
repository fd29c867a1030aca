#include "LoadingBudget.h"

#include "BmpLayout.h"

#include <QFile>
#include <QMutexLocker>

qint64 LoadingCost(const QString& source, qint64 unknown) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) return unknown;
    const PictureHeader header = ReadPictureHeader(file);
    if (!header.Size.isValid()) return unknown;
    int bytesPerPixel = 8;
    if (header.Format == "gif" && !header.SecondImage) bytesPerPixel = 4;
    // Read twice to find the pixels the file leaves undefined, and the result made apart.
    if (header.Format == "bmp" && vb::MayLeavePixelsUndefined(source)) bytesPerPixel = 12;
    return qint64(header.Size.width()) * header.Size.height() * bytesPerPixel;
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
