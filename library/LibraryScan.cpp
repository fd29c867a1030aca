#include "LibraryScan.h"

#include "ColoredCopy.h"
#include "VbMath.h"

#include <QDir>
#include <QFileInfo>
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

bool isPictureName(const QString& name) {
    for (const char* ext : {".gif", ".bmp", ".jpg"})
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

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
    for (const QString& n : QDir(folder).entryList(QDir::Files, QDir::Unsorted))
        if (isPictureName(n)) names << n;
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
