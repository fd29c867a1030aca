// The automatic save: before the canvas's picture is replaced or discarded, its coloured
// copy is written as a JPEG into "colored pictures", and the child's own page keeps the
// outlines drawn with the black marker. Nothing old is removed before its replacement is
// safely written, and a failure ends the save silently.

#include "FrmMain.h"

#include "ColoredCopy.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <QDir>
#include <QFileInfo>

using namespace vb;

void FrmMain::SaveColoredPicture() {
    if (PicturePath.isEmpty()) return;
    try {
        const QString folder = ColoredCopyFolder(PicturePath);
        const QString copyPath = folder + ColoredCopyName(PictureFileName(PicturePath));
        // One level only: "colored pictures" itself is made at start-up.
        if (!QFileInfo(folder).isDir()) QDir().mkdir(folder);
        if (!QFileInfo(folder).isDir()) return;

        // From here on the canvas's picture holds everything drawn so far.
        P->KeepImageAsPicture();
        cDIBSection section;
        section.CreateFromPicture(P->Picture());
        SaveJpegFile(section, copyPath, 90);
        section.ClearUp();

        if (PicturePath == OwnPicturePath()) {
            // Drops the last stroke's red region fill; the outlines are the picture.
            tP->Cls();
            SavePicture(tP->Picture(), OwnPicturePath());
        }
    } catch (const VbError&) {
        // The child never hears of a failed save; the caller goes on as if it worked.
    }
}
