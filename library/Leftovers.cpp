#include "Leftovers.h"

#include "ColoredCopy.h"
#include "PicturePack.h"
#include "SaveFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

int ClearSaveLeftovers(const QString& folder) {
    int removed = 0;
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (vb::SaveFile::IsLeftover(name) && dir.remove(name)) ++removed;
    return removed;
}

} // namespace

int ClearLeftovers(const QString& appPath) {
    const QString books = appPath + QStringLiteral("/books");
    int removed = 0;
    QDir booksDir(books);
    for (const QString& name : booksDir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (PicturePack::IsStagingFolder(name) && QDir(booksDir.filePath(name)).removeRecursively())
            ++removed;

    // The own page's files are finished before their temporary files could be cleared;
    // a journal that stays still needs them.
    const QString journal = OwnPageJournal(appPath);
    if (vb::RecoverTogether(journal)) ++removed;
    const bool ownPagePending = QFileInfo::exists(journal);

    // Settings.txt and the scratch pictures, the child's own page, the coloured copies.
    removed += ClearSaveLeftovers(appPath);
    const QString copies = appPath + QStringLiteral("/colored pictures");
    if (!ownPagePending) removed += ClearSaveLeftovers(books + QStringLiteral("/own pictures"));
    removed += ClearSaveLeftovers(copies);
    for (const QString& book :
         QDir(copies).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!ownPagePending || book != QLatin1String("own pictures"))
            removed += ClearSaveLeftovers(copies + QLatin1Char('/') + book);
    return removed;
}
