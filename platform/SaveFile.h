#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside the target,
// which replaces the target only on commit, so the old file survives any failure. Where
// the file system allows it the temporary file has no name while it is written, so a
// save killed meanwhile leaves nothing anywhere (a Save as outside the program folder
// too, which start-up never clears); it is named only when writing finishes, just before
// it replaces the target. Elsewhere it is named from the start. The temporary name
// (".tv-save-" and eight random letters or digits) does not grow with the target's, so a
// target whose name is as long as the folder allows saves like any other; start-up
// recognises the name as left behind by an interrupted save.

#include <QFile>

#include <functional>

namespace vb {

// `length` random letters and digits: the part of a temporary name that keeps it unique.
QString RandomSuffix(int length);

class SaveFile : public QFile {
public:
    explicit SaveFile(const QString& target);
    // A temporary file that was not committed is removed.
    ~SaveFile() override;

    // Opens a new temporary file for writing (whatever the mode asks), unbuffered so that
    // every failed write is seen with its cause; it takes the target's permissions when
    // the target exists.
    bool open(OpenMode mode) override;
    // The temporary file's name beside the target; while it is written unnamed, the name
    // it is meant to take (another, should that one be taken by then).
    QString fileName() const override;
    // Sets the temporary file's permissions, also while it has no name.
    bool setPermissions(Permissions permissions) override;
    // Flushes the temporary file to disk, gives it its name and closes it, replacing
    // nothing yet; refused when any write fell short (the temporary file is then gone).
    bool finishWriting();
    // Finishes writing when that is still to do, then renames the temporary file over the
    // target.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancelWriting();

    const QString& Target() const { return target_; }
    // The errno of the first step that failed (open, a write, the flush or the rename);
    // 0 while nothing failed.
    int SystemError() const { return systemError_; }

    // Whether a file name is one this class gives its temporary files (or gave them in
    // earlier versions, which put the target's name in it).
    static bool IsLeftover(const QString& fileName);

    // Whether temporary files may be written unnamed where the file system allows it (so
    // by default); tests turn it off to try the named way.
    static void UseUnnamedTemporaries(bool use);

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    friend int CommitTogether(SaveFile& first, SaveFile& second, const QString& journal);

    bool openUnnamed(const QString& folder);
    bool openNamed(const QString& folder);
    // Links the unnamed file to a free temporary name.
    bool giveName();
    bool replaceTarget();
    // Keeps the first cause: later steps often fail only because an earlier one did.
    void noteFailure();

    QString target_;
    QString temporary_;
    bool named_ = false; // the temporary file has its name on disk
    int systemError_ = 0;
    bool finished_ = false; // written whole and closed, not yet renamed
    bool kept_ = false;     // left for RecoverTogether
};

// Replaces two targets as one: after a failure or a kill at any moment, and once
// RecoverTogether has run on `journal`, both targets hold their old contents or both their
// new ones. The two files are written (not committed) by the caller; `journal` names the
// record of a replacement under way, which RecoverTogether must be given before anything
// reads the targets. Returns 0, or the errno of the step that failed.
int CommitTogether(SaveFile& first, SaveFile& second, const QString& journal);

// Finishes a CommitTogether that was cut short after it recorded the replacement; returns
// whether there was one. Only temporary files beside their targets are ever moved. Should
// a rename fail, the journal stays for the next try.
bool RecoverTogether(const QString& journal);

// The moments of CommitTogether, for tests that stop it there as a kill would.
enum class CommitStep { Written, Recorded, FirstReplaced, BothReplaced };
void SetCommitStepObserver(std::function<void(CommitStep)> observer);

} // namespace vb
