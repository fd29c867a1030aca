#pragma once
// How much memory loading a picture takes, judged before it is loaded, and a budget of
// it that the threads loading pictures share.

#include "PictureCheck.h"

#include <QMutex>
#include <QSize>
#include <QString>
#include <QWaitCondition>
#include <cstdint>

// The most memory that loading the picture at `source` can take at once, in bytes, judged
// from its header: 4 bytes a pixel for the decoded picture, and 4 more for a full-size
// 32-bit copy (the conversion to 32 bits, or the loading stage under a see-through GIF),
// which only an opaque GIF is spared; a BMP that the program decodes itself adds the file's
// bytes. A header that cannot be read counts as `unknown`.
qint64 LoadingCost(const QString& source, qint64 unknown);

// Memory shared by threads that load pictures: each takes its share before loading and
// gives it back afterwards. Shares are granted in the order they are asked for; a share
// larger than the whole limit is granted when nothing else is held, and then runs alone.
class LoadingBudget {
public:
    explicit LoadingBudget(qint64 limit) : limit_(limit) {}
    void Acquire(qint64 cost);
    void Release(qint64 cost);
    qint64 Limit() const { return limit_; }

private:
    const qint64 limit_;
    qint64 held_ = 0;
    uint64_t nextTicket_ = 0; // handed to each Acquire in turn
    uint64_t serving_ = 0;    // the ticket whose share is granted next
    QMutex mutex_;
    QWaitCondition changed_;
};

// What the library scan's workers may hold at once: with the program's own 70 to 90 MB,
// start-up stays under 400 MB whatever the pictures, while ordinary pages (about 1 MB
// each decoded) never wait for one another.
constexpr qint64 ScanLoadingBudget = qint64(256) << 20;
