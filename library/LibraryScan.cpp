#include "LibraryScan.h"

#include "ColoredCopy.h"
#include "Gdi.h"
#include "PictureArea.h"
#include "PictureHost.h"
#include "StdPicture.h"
#include "VbError.h"
#include "VbMath.h"
#include "cNDib.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QThreadPool>
#include <algorithm>

QString GetLastPathPart(const QString& path) {
    // The same rule that names a picture's file for its coloured copy.
    return PictureFileName(path);
}

QString ProperCase(QString txt) {
    txt = txt.toLower();
    bool capital = true;
    for (QChar& c : txt) {
        if (c.unicode() >= 'a' && c.unicode() <= 'z') {
            if (capital) c = QChar(c.unicode() - 'a' + 'A');
            capital = false;
        } else {
            capital = true;
        }
    }
    return txt;
}

QString ProgressText(int32_t i, int32_t count, const QString& book) {
    const double percent = vb::Int(double(i + 1) / double(count) * 100.0);
    return QStringLiteral("Loading(%1%)... %2.").arg(qint64(percent)).arg(book);
}

namespace {

// By name without regard to case; names that differ only in case keep a fixed order.
void sortByName(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
}

} // namespace

bool IsListedPictureName(const QString& name) {
    if (name.startsWith(QLatin1Char('.'))) return false;
    for (const char* ext : {".gif", ".bmp", ".jpg"})
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) return true;
    return false;
}

QStringList ListSubFolders(const QString& booksPath) {
    QDir dir(booksPath);
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    sortByName(names);
    QString base = booksPath;
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    for (QString& n : names) n = base + n;
    return names;
}

QStringList ListPictures(const QString& folder) {
    QStringList names;
    // Hidden files too: IsListedPictureName alone says which names are shown.
    for (const QString& n : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Unsorted))
        if (IsListedPictureName(n)) names << n;
    sortByName(names);
    return names;
}

std::vector<BookFolder> ListLibrary(const QString& appPath) {
    const QString ownFolder = appPath + QStringLiteral("/books/own pictures");
    std::vector<BookFolder> books;
    for (const QString& folder : ListSubFolders(appPath + QStringLiteral("/books/"))) {
        BookFolder book;
        book.Folder = folder;
        book.Own = (folder == ownFolder);
        if (!book.Own) book.Pictures = ListPictures(folder);
        books.push_back(std::move(book));
    }
    return books;
}

QString ThumbnailSource(const QString& folder, const QString& fileName) {
    const QString picture = folder + QLatin1Char('/') + fileName;
    const QString copy = ColoredCopyPath(picture);
    return QFileInfo(copy).isFile() ? copy : picture;
}

SheetPlan PlanSheet(const std::vector<int32_t>& picturesPerBook, int32_t W, int32_t startHeight) {
    SheetPlan plan;
    plan.Height = startHeight;
    int32_t rowTop = -39;
    for (int32_t pictures : picturesPerBook) {
        plan.Books.emplace_back();
        if (pictures <= 0) continue;
        // An empty band of 40 above every book.
        if (plan.Height < rowTop + 40) plan.Height = rowTop + 40;
        rowTop += 40;
        int32_t column = -1;
        for (int32_t j = 0; j < pictures; ++j) {
            // The next column's box plus a margin of 5 must end within the sheet.
            if (column * 105 + 216 > W) {
                column = 0;
                rowTop += 105;
            } else {
                ++column;
            }
            const SheetPlan::Box box{column * 105 + 6, rowTop};
            if (plan.Height < box.Top + 100) plan.Height = box.Top + 105;
            plan.Books.back().push_back(box);
        }
        rowTop += 100;
    }
    return plan;
}

namespace {

// The loading stage without its widget: the persistent image a picture area of back colour
// `backColor` holds once the picture is set on it with AutoSize.
class Stage : public vb::PictureHost {
public:
    Stage(const vb::StdPicture& picture, int32_t backColor) {
        const QImage& image = picture.image();
        if (image.format() == QImage::Format_RGB32) {
            // Opaque: the back colour is painted over entirely.
            dc_.setImage(image);
            return;
        }
        QImage staged(std::max(1, image.width()), std::max(1, image.height()),
                      QImage::Format_RGB32);
        vb::DrawBackground(staged, picture, backColor);
        dc_.setImage(staged);
    }
    vb::HDC hDC() override { return &dc_; }
    void SetWidth(float) override {}
    void SetHeight(float) override {}

private:
    vb::DeviceContext dc_;
};

} // namespace

void LoadIntoBuffer(const QString& source, int32_t stageColor, cNDib& buffer) {
    Stage stage(vb::LoadPicture(source), stageColor);
    if (!buffer.Make_From_Picture(stage)) vb::Raise(vb::ErrInvalidPicture);
}

Thumbnail MakeThumbnail(const QString& source, int32_t stageColor, QPoint box) {
    Stage stage(vb::LoadPicture(source), stageColor);
    // The stage's pixels are, byte for byte, what Make_From_Picture would copy into a
    // buffer, so they are fitted where they are: a huge picture is held once, not twice.
    const QImage& staged = stage.hDC()->image();
    if (staged.isNull() || staged.width() <= 0 || staged.height() <= 0)
        vb::Raise(vb::ErrInvalidPicture);
    vb::BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = staged.width();
    header.biHeight = -staged.height();
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = vb::BI_RGB;
    // Drawn on a small image of its own, moved from the sheet by an even amount: the fit
    // rounds halves to even, so only the box's parity shapes where the picture lands.
    const QPoint parity(box.x() & 1, box.y() & 1);
    vb::DeviceContext small(QImage(101, 101, QImage::Format_RGB32));
    small.takeDirty();
    cNDib::Fit(&small, staged.constBits(), header, parity.x(), parity.y(), 100, 100);
    const QRect drawn = small.takeDirty();
    if (drawn.isEmpty()) return {};
    return {small.image().copy(drawn), box - parity + drawn.topLeft()};
}

ThumbnailMaker::ThumbnailMaker(std::vector<ThumbnailJob> jobs, int32_t stageColor, qint64 budget)
    : jobs_(std::move(jobs)), stageColor_(stageColor), results_(jobs_.size()), budget_(budget),
      unfinished_(jobs_.size()) {
    // The shared pool: it has a thread for each CPU this process may use (its affinity), and
    // the image calls of its threads shrink and convert on the calling thread instead of
    // handing parts to the pool and waiting. Below the usual priority, so that whatever
    // else the pool is given meanwhile need not wait behind a whole library.
    for (size_t i = 0; i < jobs_.size(); ++i)
        QThreadPool::globalInstance()->start([this, i] { make(i); }, -1);
}

ThumbnailMaker::~ThumbnailMaker() {
    Stop();
}

void ThumbnailMaker::make(size_t i) {
    Result r;
    if (!stopping_) {
        try {
            const ThumbnailJob& job = jobs_[i];
            const QString source = ThumbnailSource(job.Folder, job.FileName);
            const qint64 cost = LoadingCost(source, budget_.Limit());
            budget_.Acquire(cost);
            const auto release = qScopeGuard([&] { budget_.Release(cost); });
            // A stop may have come while this job waited for its share.
            if (!stopping_) {
                r.Made = MakeThumbnail(source, stageColor_, job.Box);
                r.Ok = true;
            }
        } catch (...) {
            // Any failure is the scan's failure; the reader decides what follows.
        }
    }
    r.Done = true;
    QMutexLocker lock(&mutex_);
    results_[i] = std::move(r);
    --unfinished_;
    ready_.wakeAll();
}

bool ThumbnailMaker::Take(size_t i, Thumbnail& out, const std::function<void()>& idle,
                          int everyMs) {
    QMutexLocker lock(&mutex_);
    if (idleDue_.isForever()) idleDue_.setRemainingTime(everyMs);
    for (;;) {
        // Counted across takes: a steady stream of short waits must not starve it either.
        if (idle && idleDue_.hasExpired()) {
            lock.unlock();
            idle();
            lock.relock();
            idleDue_.setRemainingTime(everyMs);
        }
        if (results_[i].Done) break;
        ready_.wait(&mutex_, idleDue_);
    }
    out = std::move(results_[i].Made);
    results_[i].Made = {};
    return results_[i].Ok;
}

void ThumbnailMaker::Stop() {
    stopping_ = true;
    QMutexLocker lock(&mutex_);
    while (unfinished_ > 0) ready_.wait(&mutex_);
}
