// The four tool buttons: a radio group that picks the tool and its brush.

#include "FrmMain.h"

#include "pButton.h"

void FrmMain::pTool_MouseUp(int16_t Index) {
    PlaySoundEffect(1);
    for (pButton* b : pTool) b->setPressed(false);
    pTool[Index]->setPressed(true);
    // The marker never stamps, so it has no brush.
    if (Index <= 2) {
        BrushDib = std::make_unique<cNDib>();
        BrushDib->Make_From_Picture(*pBr[Index]);
    }
    Tool = Index;
    if (Index == 3) {
        // The marker always draws black: no colours to pick, nothing to make crazy.
        Pc->setVisible(false);
        if (c[3]->Enabled()) c[3]->setEnabled(false);
    } else {
        Pc->setVisible(true);
        EnableCrazyColoursButton();
    }
}
