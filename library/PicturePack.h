#pragma once
// The picture-pack file (".tvp") and its installation as a new book. A pack is pieces
// split at "/x5x/": piece 0 the header (book name, then one file name per following
// piece, joined by "|"), pieces 1 to N the files' bytes. No widgets: the pieces are
// checked with the loader the library scan uses.

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace PicturePack {

// A pack as read: the book name and, for each file, its name and where its bytes lie in
// the pack (pieces are not copied: a pack of hundreds of megabytes is held once).
struct Pack {
    QString Book;
    QStringList Names; // one per piece, in order
    QByteArray Bytes;  // the whole pack, never changed
    struct Span {
        qsizetype From = 0;
        qsizetype Size = 0;
    };
    std::vector<Span> Pieces; // the files' bytes, exactly as stored in the pack

    size_t PieceCount() const { return Pieces.size(); }
    // Piece k's bytes; valid while this pack lives.
    QByteArray Piece(size_t k) const;
};

enum class Outcome {
    Installed,
    Damaged,    // not a pack, a name that is not plain or too long, or a piece that is not
                // a whole picture
    Unlisted,   // a file the picture library would not list (see IsListedPictureName)
    TooLarge,   // a piece wider or taller than MaxPictureSide
    Twins,      // two pictures whose coloured copies would share a name (a.gif, a.bmp)
    CannotWrite // the library could not take the files
};

// Splits a pack's bytes. Nothing when it cannot be installed, and then `refusal` (when
// given) says why: Damaged (no separator, fewer header names than pieces, a name that is
// not plain or too long, a hidden book) or Unlisted. Names beyond the pieces are ignored
// and not even split off; the last piece runs to the end.
std::optional<Pack> Parse(const QByteArray& bytes, Outcome* refusal = nullptr);

// A name that stays a single entry inside its folder: not empty, not "." or "..", and
// without "/", "\" or NUL (so never absolute either). Hidden names are plain: whether
// the library lists one is its own rule (IsListedPictureName).
bool IsPlainName(const QString& name);

// The longest name a pack may give a book or a file, in bytes of the file system's
// encoding: a name may get a number (TakeBookName, TakeFileName: up to 19 digits and a
// "_"), and must still fit the file system's 255 bytes then.
constexpr qsizetype MaxPackNameBytes = 255 - 20;

// Why a pack's book name (`book`) or file name cannot be installed: Damaged when it is
// not plain, longer than MaxPackNameBytes or a hidden book, Unlisted when it is a file
// name the library would not list. Nothing when it is fine.
std::optional<Outcome> RefusedName(const QString& name, bool book);

// The names taken in one folder, compared without regard to case as the library
// compares names. Taking a name marks it taken.
class TakenNames {
public:
    TakenNames() = default;
    // Every entry of `folder`, listed once.
    explicit TakenNames(const QString& folder);

    bool contains(const QString& name) const;
    void insert(const QString& name);

    // The book folder name to create: `book` itself, or when it is taken, book + n for
    // the first free n = 1, 2, ...
    QString TakeBookName(const QString& book);
    // The name to write `name` under: the name itself, or when it is taken, (name without
    // its last four characters) + "_" + n + "." + (its last three characters) for the
    // first free n. Empty when the name is taken and too short for that rule.
    QString TakeFileName(const QString& name);

private:
    QSet<QString> names_; // case-folded
    // Per numbered name, the lowest n not yet seen taken: later searches start there, so
    // many copies of one name cost no more than distinct names.
    QHash<QString, qint64> nextNumber_;
};

// Whether a name in the books folder is the staging folder of an import that has not
// finished (or was interrupted).
bool IsStagingFolder(const QString& name);

// The widest and tallest picture a pack may hold: larger ones are refused from their
// header, before they are decoded.
constexpr int MaxPictureSide = 4096;

// Why files could not be written, where the system says.
enum class WriteFailure { Unknown, DiskFull, FolderNotWritable };

struct Result {
    Outcome Kind = Outcome::Damaged;
    QString Folder; // the new book, when installed
    WriteFailure Cause = WriteFailure::Unknown;
};

// Installs a pack as a new book under `booksFolder` (which must exist), whole or not at
// all: every name must pass RefusedName, no two of the names written may give one
// coloured copy name (ColoredCopyName; Twins, compared without regard to case, as a
// folder may not tell them apart), and every piece must be a whole picture no larger
// than MaxPictureSide either way; each is written followed by CR LF into a hidden staging
// folder, must load as a picture there, is flushed to disk, and only then is the folder
// renamed to the book's name. "own pictures" counts as a taken book name. Unless
// installed, nothing is left.
Result InstallBook(const Pack& pack, const QString& booksFolder);
// Parses and installs a pack's bytes.
Result InstallBook(const QByteArray& bytes, const QString& booksFolder);

// The new folder, or an empty string when the pack was not installed.
QString Install(const Pack& pack, const QString& booksFolder);
QString Install(const QByteArray& bytes, const QString& booksFolder);

} // namespace PicturePack
