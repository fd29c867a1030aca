// Saving the canvas as a JPEG file of the parents' choosing.

#include "FrmMain.h"

#include "GCommonDialog.h"
#include "JpegFileName.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "frmParentMessage.h"
#include "mIntelJPEGLibrary.h"

using namespace vb;

QString JpegFileName(const QString& chosen) {
    if (chosen.endsWith(QLatin1String(".jpg")) || chosen.endsWith(QLatin1String(".jpeg")))
        return chosen;
    return chosen + QStringLiteral(".jpg");
}

void FrmMain::SaveAsJpeg() {
    if (!AskParents(QStringLiteral("There was an attempt to save the current picture. This is a "
                                   "password locked function. Please enter your parental "
                                   "password and press OK to continue."),
                    QStringLiteral("Oh no!, something happened when you tried to save your "
                                   "picture. Call someone who can help you!"),
                    true)) {
        Timer1->setEnabled(true);
        return;
    }

    GCommonDialog dialog;
    setEnabled(false);
    GCommonDialog::SaveFileArgs args;
    args.OverWritePrompt = true;
    args.Filter = QStringLiteral("Jpeg file (*.jpg)|*.jpg");
    args.FilterIndex = 1;
    args.DlgTitle = QStringLiteral("Save current picture as...");
    // The dialog asks before a name that ".jpg" makes an existing file's is accepted.
    args.FinalName = JpegFileName;
    if (!dialog.VBGetSaveFileName(args)) {
        Timer1->setEnabled(true);
        setEnabled(true);
        if (Tool != 3) Pc->show();
        return;
    }

    try {
        const QString target = JpegFileName(args.FileName);
        // The canvas's picture takes everything drawn so far, as after an automatic save.
        P->setPicture(P->Image());
        cDIBSection section;
        section.CreateFromPicture(P->Picture());
        SaveJpegFile(section, target, 90);
        section.ClearUp();
        Timer1->setEnabled(true);
        setEnabled(true);
        return;
    } catch (const VbError&) {
        Forms::frmParentMessage().setCancelVisible(false);
        Forms::frmParentMessage().setMessage(QStringLiteral(
            "Unfortunately, because of an unknown error, the picture could not be saved. Please "
            "make sure that the disk is not write protected and that you have enough disk space "
            "to save the picture."));
        Forms::frmParentMessage().Show(true);
    }
    Timer1->setEnabled(true);
    setEnabled(true);
    if (Tool != 3) Pc->show();
}
