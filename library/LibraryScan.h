#pragma once
// The picture library without widgets: which books and pictures there are and in which
// order, the texts the loading window shows, which file each thumbnail is drawn from,
// where each thumbnail stands on the sheet, and the thumbnails themselves, made on worker
// threads.

#include "LoadingBudget.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class cNDib;

// The text after the last "/" of a path (the whole path when it holds none).
QString GetLastPathPart(const QString& path);

// The display form of a book name: lower case, with every letter a to z that follows a
// character outside a to z (or starts the text) in capitals. "o'reilly" -> "O'Reilly".
QString ProperCase(QString txt);

// "Loading(P%)... Book." for folder i (0-based) of count, P = Int((i + 1) / count * 100).
QString ProgressText(int32_t i, int32_t count, const QString& book);

// One sub-folder of the books folder, in listing order.
struct BookFolder {
    QString Folder;       // full path, no trailing "/"
    bool Own = false;     // the child's own pictures: never listed as a book
    QStringList Pictures; // matching file names, sorted (empty for the own folder)
};

// Sub-folders of `booksPath` (full paths), sorted by name without regard to case.
QStringList ListSubFolders(const QString& booksPath);
// Whether the library lists a file of this name as a picture: it ends in ".gif", ".bmp"
// or ".jpg" without regard to case, and is not hidden (does not begin with "."). The one
// place that decides: ListPictures and the picture-pack importer both ask it, so that
// every picture a pack adds is shown.
bool IsListedPictureName(const QString& name);
// Files of `folder` whose names the library lists (IsListedPictureName), bare names,
// sorted by name without regard to case. Sub-folders are not searched.
QStringList ListPictures(const QString& folder);
// Every sub-folder of appPath + "/books/" with its pictures; "own pictures" is marked by
// an exact comparison of its path and gets no pictures.
std::vector<BookFolder> ListLibrary(const QString& appPath);

// The file a thumbnail shows: the picture's coloured copy when one exists, else the
// picture itself.
QString ThumbnailSource(const QString& folder, const QString& fileName);

// Where the thumbnails stand on a sheet of width W: one entry per book, in order, with
// the top-left corner of each 100 x 100 box, and the sheet's height afterwards (it only
// grows from `startHeight`). Books without pictures take no room.
struct SheetPlan {
    struct Box {
        int32_t Left = 0;
        int32_t Top = 0;
    };
    std::vector<std::vector<Box>> Books;
    int32_t Height = 0;
};
SheetPlan PlanSheet(const std::vector<int32_t>& picturesPerBook, int32_t W, int32_t startHeight);

// What Set_dib_Fit draws of one picture into a 100 x 100 box of the sheet: the pixels it
// writes and where they go on the sheet. The rest of the box keeps what the sheet had.
struct Thumbnail {
    QImage Pixels; // RGB32; null when nothing is drawn
    QPoint At;
};

// The picture at `source` (LoadPicture), set on a loading stage of back colour
// `stageColor` (which shows through a GIF's transparent pixels) and copied into `buffer`
// (Make_From_Picture): what the scan does to every picture, so a file that passes can
// never stop it. Touches no widget, so any thread may run it. Raises what LoadPicture
// raises; a failed copy raises 481.
void LoadIntoBuffer(const QString& source, int32_t stageColor, cNDib& buffer);

// The picture at `source`, loaded as LoadIntoBuffer does and fitted into the box whose
// top-left corner is `box` (Set_dib_Fit), straight from the loading stage's pixels.
Thumbnail MakeThumbnail(const QString& source, int32_t stageColor, QPoint box);

// One thumbnail to make: the picture `FileName` of the book `Folder`, or its coloured copy,
// for the box at `Box`.
struct ThumbnailJob {
    QString Folder;
    QString FileName;
    QPoint Box;
};

// Makes the thumbnails of `jobs` on worker threads, one for each CPU the process may run
// on, and hands them out in the jobs' order. Stopping, or destroying the maker, waits
// until none of its jobs is left queued or running.
class ThumbnailMaker {
public:
    // Pictures are loaded no faster than `budget` bytes allow (see LoadingBudget).
    ThumbnailMaker(std::vector<ThumbnailJob> jobs, int32_t stageColor,
                   qint64 budget = ScanLoadingBudget);
    ~ThumbnailMaker();
    ThumbnailMaker(const ThumbnailMaker&) = delete;
    ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

    // Waits for thumbnail i. `idle` runs whenever `everyMs` have passed since it last ran
    // (counted from the first take), before the thumbnail is handed out. False when the
    // picture or its copy could not be loaded.
    bool Take(size_t i, Thumbnail& out, const std::function<void()>& idle, int everyMs = 15);
    // Drops the thumbnails not yet begun and waits for those under way.
    void Stop();

private:
    struct Result {
        bool Done = false;
        bool Ok = false;
        Thumbnail Made;
    };
    void make(size_t i);

    const std::vector<ThumbnailJob> jobs_;
    const int32_t stageColor_;
    std::vector<Result> results_;
    LoadingBudget budget_;
    std::atomic<bool> stopping_{false};
    QDeadlineTimer idleDue_{QDeadlineTimer::Forever};
    QMutex mutex_;
    QWaitCondition ready_;
    size_t unfinished_; // jobs whose worker has not yet written its result
};
