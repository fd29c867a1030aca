#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside the target,
// which replaces the target only on commit, so the old file survives any failure. The
// temporary name (".<target>.tv-save-XXXXXX") is one that start-up can recognise as left
// behind by an interrupted save, and that no user's file is likely to carry.

#include <QFile>

namespace vb {

// `length` random letters and digits: the part of a temporary name that keeps it unique.
QString RandomSuffix(int length);

class SaveFile : public QFile {
public:
    explicit SaveFile(const QString& target);
    // Uncommitted writing is dropped.
    ~SaveFile() override;

    // Opens a new temporary file for writing (whatever the mode asks), unbuffered so that
    // every failed write is seen with its cause; it takes the target's permissions when
    // the target exists.
    bool open(OpenMode mode) override;
    // Flushes the temporary file to disk and renames it over the target; refused when any
    // write fell short.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancelWriting();

    // The errno of the first step that failed (open, a write, the flush or the rename);
    // 0 while nothing failed.
    int SystemError() const { return systemError_; }

    // Whether a file name is one this class gives its temporary files.
    static bool IsLeftover(const QString& fileName);

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    // Keeps the first cause: later steps often fail only because an earlier one did.
    void noteFailure();

    QString target_;
    int systemError_ = 0;
};

} // namespace vb
