// The child's four command buttons: open a picture, clear all colours, undo, and the
// crazy-colours toggle.

#include "FrmMain.h"

#include "AppPath.h"
#include "ColoredCopy.h"
#include "RegionMap.h"
#include "SaveFile.h"
#include "VbError.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "pButton.h"

#include <QFileInfo>

using namespace vb;

namespace {
constexpr int32_t kClick = 1;
constexpr int32_t kNewPicture = 5;
constexpr int32_t kDamagedPicture = 0;
} // namespace

void FrmMain::c_click(int16_t Index) {
    PlaySoundEffect(kClick);
    switch (Index) {
    case 0:
        if (!OpenPicture()) return;
        break;
    case 1:
        ClearAllColours();
        break;
    case 2:
        UndoStroke();
        break;
    default:
        break;
    }
    if (Tool != 3) Pc->show();
}

bool FrmMain::OpenPicture() {
    // Unsaved colours are given up only when the parents say so.
    if (!SaveBeforeLeaving(AfterFailedSave::Opening)) return true;
    QString chosen;
    try {
        Timer1->setEnabled(false);
        Forms::frmOpen().FileName.clear();
        Forms::frmOpen().Show(true);
        // A library that cannot be read unloads this window and ends the program.
        if (!IsLoaded()) return false;
        Timer1->setEnabled(true);
        if (Tool != 3) Pc->show();
        chosen = Forms::frmOpen().FileName;
    } catch (const VbError&) {
        Timer1->setEnabled(true);
        return false;
    }
    if (chosen.isEmpty()) return true;
    // A replacement of the page's two files cut short is finished before either is read.
    if (chosen == OwnPicturePath()) RecoverTogether(OwnPageJournal(AppPath()));

    // The previous picture stays open after a failure, so its template must stay too: a
    // blank one would let strokes cross every outline, and the next save would write it
    // over the child's own page.
    const StdPicture previousTemplate = tP->Picture();
    try {
        tP->setPicture(StdPicture());
        tP->setPicture(LoadPicture(chosen));
        CanvasDib = std::make_unique<cNDib>();
        LineArtDib = std::make_unique<cNDib>();
        if (!CanvasDib->Make_From_Picture(*tP) || !LineArtDib->Make_From_Picture(*tP))
            Raise(ErrInvalidPicture);
        c[1]->setEnabled(true);
        if (Tool != 3) EnableCrazyColoursButton();
        for (pButton* t : pTool) {
            t->setEnabled(true);
            t->setPressed(t->Pressed());
        }
        const QString copy = ColoredCopyPath(chosen);
        bool copyShown = false;
        if (QFileInfo::exists(copy)) {
            try {
                P->setPicture(StdPicture());
                P->setPicture(LoadPicture(copy));
                copyShown = CanvasDib->Make_From_Picture(*P);
            } catch (const VbError&) {
                // A damaged coloured copy is ignored: the picture opens blank.
            }
        }
        if (!copyShown) {
            P->setPicture(StdPicture());
            CanvasDib->Set_dib(*P, true);
        }
    } catch (const VbError&) {
        const QString name = chosen;
        ShowErrorMessage(kDamagedPicture, name);
        tP->setPicture(previousTemplate);
        return false;
    }

    P->Move(PB->ScaleWidth() / 2 - P->ScaleWidth() / 2,
            PB->ScaleHeight() / 2 - P->ScaleHeight() / 2);
    UndoIndex = -1;
    CanvasMirrorsP = true;
    KeepTemplateCurrent();
    c[2]->setEnabled(false);
    // The canvas shows before the background is redrawn, so that its shadow is drawn too.
    P->show();
    DrawSwatch();
    P->Refresh();
    PicturePath = chosen;
    RememberSavedCanvas();
    PlaySoundEffect(kNewPicture);
    pFunc[2]->setPicture(pE[1]->Picture());
    pFunc[2]->setEnabled(true);
    pFunc[1]->setPicture(pE[0]->Picture());
    pFunc[1]->setEnabled(true);
    return true;
}

void FrmMain::ClearAllColours() {
    frmMessage& m = Forms::frmMessage();
    m.setExtendedInformation(QStringLiteral(
        "There was an attempt to clear out all the colors in the picture. If you click OK, all "
        "changes to the picture will be lost and you will be left with a black and white image."));
    m.setMessage(QStringLiteral("Do you want to get rid of all the colors? If you don't, call "
                                "someone who can help you! Or press 'Never Mind'"));
    m.setShowCancel(true);
    m.setPasswordVisible(false);
    Timer1->setEnabled(false);
    m.Show(true);
    if (m.ButtonPressed == QLatin1String("Ok") && SaveBeforeLeaving(AfterFailedSave::Clearing)) {
        if (PicturePath != OwnPicturePath()) {
            LineArtDib->Set_dib(*P, false);
            LineArtDib->Set_dib(*tP, false);
            tP->setPicture(tP->Image());
            CanvasDib->Make_From_Picture(*P);
        } else {
            tP->setPicture(StdPicture());
            tP->setPicture(tP->Image());
            LineArtDib = std::make_unique<cNDib>();
            CanvasDib = std::make_unique<cNDib>();
            LineArtDib->Make_From_Picture(*tP);
            CanvasDib->Make_From_Picture(*tP);
            CanvasDib->Set_dib(*P, false);
        }
        KeepTemplateCurrent();
        CanvasMirrorsP = true;
        UndoIndex = -1;
        c[2]->setEnabled(false);
        // The buffers were written straight into the canvas: show them.
        P->Refresh();
    }
    setEnabled(true);
    Timer1->setEnabled(true);
}

void FrmMain::UndoStroke() {
    if (UndoIndex < 0) return;
    UndoPictures[UndoIndex]->Set_dib(*P, false);
    KeepTemplateCurrent();
    if (UndoTemplates[UndoIndex] != TemplateDib) {
        tP->Cls();
        UndoTemplates[UndoIndex]->Set_dib(*tP, false);
        tP->setPicture(tP->Image());
        KeepTemplateCurrent();
    } else {
        MapRegion(*RegionMask, *TemplateDib, RegionFill, std::nullopt); // the template alone
    }
    --UndoIndex;
    if (UndoIndex == -1) c[2]->setEnabled(false);
    if (!CanvasDib) CanvasDib = std::make_unique<cNDib>();
    CanvasDib->Make_From_Picture(*P);
    CanvasMirrorsP = true;
    P->Refresh();
}

void FrmMain::c_MouseDown(int16_t Index, int16_t, int16_t, float, float) {
    if (Index == 3) c[3]->setLockRefresh(true);
}

void FrmMain::c_MouseUp(int16_t Index) {
    if (Index != 3) return;
    c[3]->setPressed(!c[3]->Pressed());
    ColorJitter = c[3]->Pressed() ? 120 : 10;
    c[3]->setLockRefresh(false);
}

void FrmMain::EnableCrazyColoursButton() {
    if (!c[3]->Enabled()) c[3]->setEnabled(true);
    // Enabling draws the plain face; while crazy colours are on it must show them on.
    c[3]->setPressed(c[3]->Pressed());
}
