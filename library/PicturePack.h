#pragma once
// The picture-pack file (".tvp") and its installation as a new book. A pack is pieces
// split at "/x5x/": piece 0 the header (book name, then one file name per following
// piece, joined by "|"), pieces 1 to N the files' bytes. Pure logic: no widgets.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace PicturePack {

// A pack as read: the book name and, for each file, its name and its bytes.
struct Pack {
    QString Book;
    QStringList Names;              // one per piece, in order
    std::vector<QByteArray> Pieces; // the files' bytes, exactly as stored in the pack
};

// Splits a pack's bytes. Nothing when it is damaged: no separator, fewer header names
// than pieces, or a name that could leave the book folder (see IsPlainName). Names
// beyond the pieces are ignored; the last piece runs to the end.
std::optional<Pack> Parse(const QByteArray& bytes);

// A name that stays a single entry inside its folder: not empty, not "." or "..", and
// without "/", "\" or NUL (so never absolute either).
bool IsPlainName(const QString& name);

// Whether `folder` holds an entry called `name`, compared without regard to case as the
// library compares names.
bool EntryExists(const QString& folder, const QString& name);

// The book folder to create under `booksFolder`: `book` itself, or when something of that
// name exists, book + n for the first free n = 1, 2, ... (full path, no trailing "/").
QString FreeFolder(const QString& booksFolder, const QString& book);

// The name to write `name` under in `folder`: the name itself, or when it is taken,
// (name without its last four characters) + "_" + n + "." + (its last three characters)
// for the first free n. Empty when the name is taken and too short for that rule.
QString FreeFileName(const QString& folder, const QString& name);

// Creates the book folder under `booksFolder` (which must exist) and writes every piece
// into it followed by CR LF. All or nothing: on any failure what this call created is
// removed again. Returns the new folder, or an empty string on failure.
QString Install(const Pack& pack, const QString& booksFolder);
// Parses and installs a pack's bytes; a damaged pack creates nothing.
QString Install(const QByteArray& bytes, const QString& booksFolder);

} // namespace PicturePack
