// The automatic save: before the canvas's picture is replaced or discarded, its coloured
// copy is written as a JPEG into "colored pictures", and the child's own page keeps the
// outlines drawn with the black marker. Nothing old is removed before its replacement is
// safely written, and the own page's two files are replaced together. An untouched canvas
// is not written again: every encoding of a JPEG loses a little, so an unchanged copy must
// stay byte for byte as it is. A failed save is never silent: the parents hear why, and the
// picture is not given up unless they say; a cause that lasts must not hold them on one
// picture for good, so they may always go on.

#include "FrmMain.h"

#include "AppPath.h"
#include "ColoredCopy.h"
#include "SaveFile.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "frmParentMessage.h"
#include "mIntelJPEGLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <sys/stat.h>

using namespace vb;

namespace {

size_t Fingerprint(const QImage& image) {
    const size_t seed = qHash(image.width()) ^ (qHash(image.height()) << 1);
    return qHashBits(image.constBits(), size_t(image.sizeInBytes()), seed);
}

// The folder of the coloured copy, made when missing (one level only: "colored pictures"
// itself is made at start-up); the errno of the failure, 0 when the folder is there.
int MakeFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) return 0;
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0) return errno;
    return QFileInfo(folder).isDir() ? 0 : ENOTDIR;
}

// The nearest entry on the way to `folder` that exists; a file when one stands where a
// folder should be.
QString NearestExisting(QString folder) {
    while (!QFileInfo::exists(folder) && QFileInfo(folder).path() != folder)
        folder = QFileInfo(folder).path();
    return folder;
}

// Names the file in the way, when that is why the save failed.
SaveFailure Failed(SaveFailure failure) {
    if (failure.SystemError == EEXIST || failure.SystemError == ENOTDIR) {
        const QString nearest = NearestExisting(failure.Folder);
        if (QFileInfo(nearest).isFile()) failure.InTheWay = nearest;
    }
    return failure;
}

} // namespace

void FrmMain::RememberSavedCanvas() {
    SavedCanvas = Fingerprint(P->hDC()->image());
}

std::optional<SaveFailure> FrmMain::SaveColoredPicture() {
    if (PicturePath.isEmpty()) return std::nullopt;
    if (SavedCanvas && *SavedCanvas == Fingerprint(P->hDC()->image())) return std::nullopt;
    SaveFailure failure;
    try {
        failure.Folder = ColoredCopyFolder(PicturePath);
        const QString copyPath = failure.Folder + ColoredCopyName(PictureFileName(PicturePath));
        if ((failure.SystemError = MakeFolder(failure.Folder)) != 0) return Failed(failure);

        // From here on the canvas's picture holds everything drawn so far.
        P->KeepImageAsPicture();
        cDIBSection section;
        section.CreateFromPicture(P->Picture());
        SaveFile copy(copyPath);
        WriteJpegFile(section, copy, 90, &failure.SystemError);
        section.ClearUp();

        if (PicturePath != OwnPicturePath()) {
            if (!copy.commit()) {
                failure.SystemError = copy.SystemError();
                return Failed(failure);
            }
        } else {
            // Drops the last stroke's red region fill; the outlines are the picture.
            tP->Cls();
            SaveFile outlines(OwnPicturePath());
            failure.Folder = QFileInfo(OwnPicturePath()).path();
            WritePicture(tP->Picture(), outlines, &failure.SystemError);
            // Outlines and colours make one page: a page half replaced would put the new
            // colours under the old outlines, so both files change or neither does.
            failure.SystemError = CommitTogether(copy, outlines, OwnPageJournal(AppPath()));
            if (failure.SystemError != 0) {
                if (copy.SystemError() != 0) failure.Folder = ColoredCopyFolder(PicturePath);
                return Failed(failure);
            }
        }
    } catch (const VbError&) {
        return Failed(failure);
    }
    RememberSavedCanvas();
    return std::nullopt;
}

bool FrmMain::SaveBeforeLeaving(AfterFailedSave after) {
    const std::optional<SaveFailure> failure = SaveColoredPicture();
    if (!failure) return true;
    frmParentMessage& message = Forms::frmParentMessage();
    message.setMessage(SaveFailureMessage(*failure, after));
    message.setCancelVisible(true);
    Timer1->setEnabled(false);
    message.Show(true);
    Timer1->setEnabled(true);
    return !message.CancelPressed;
}
