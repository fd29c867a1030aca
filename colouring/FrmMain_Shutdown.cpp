// The colouring window's unload step, the program's orderly end: timers off, buffers
// released, every other window closed, the keyboard lock removed, then the end. It saves
// nothing; the quit path saves the picture before it unloads the window.

#include "FrmMain.h"

#include "EndProgram.h"
#include "KeyboardHook.h"
#include "VbError.h"
#include "frmFirstTime.h"
#include "frmImport.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"

#include <exception>

using namespace vb;

namespace {

// A step that fails is skipped and the shutdown goes on with the next one.
template <typename Step> void skipOnError(Step step) {
    try {
        step();
    } catch (const VbError&) {
    } catch (const std::exception&) {
    }
}

} // namespace

void FrmMain::Form_Unload(int16_t& Cancel) {
    Q_UNUSED(Cancel);
    // No bubble tick runs after this point.
    tMusic->setEnabled(false);
    Timer1->setEnabled(false);

    CanvasDib.reset();
    RegionMask.reset();
    LineArtDib.reset();

    for (auto& sprite : BubbleSprites) skipOnError([&] { sprite.reset(); });

    // The other windows close in this order, each only if it is loaded, so that none is
    // created here.
    vb::Form* const others[] = {
        &Forms::frmSplash(),        &Forms::frmOpen(),     &Forms::frmMessage(),
        &Forms::frmParentMessage(), &Forms::frmParental(), &Forms::frmFirstTime(),
        &Forms::frmImport(),
    };
    for (vb::Form* window : others)
        skipOnError([&] {
            if (window->IsLoaded()) window->Unload();
        });

    if (KeyboardHook != 0) skipOnError([&] { UnhookWindowsHookEx(KeyboardHook); });

    EndProgram();
}
