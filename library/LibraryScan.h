#pragma once
// The picture library without widgets: which books and pictures there are and in which
// order, the texts the loading window shows, which file each thumbnail is drawn from, and
// where each thumbnail stands on the sheet.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

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
// Files of `folder` matching "*.gif;*.bmp;*.jpg" without regard to case, bare names,
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
