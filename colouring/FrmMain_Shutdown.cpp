// The colouring window's unload step, the program's orderly end: timers off, buffers
// released, every other window closed, the keyboard lock removed, then the end. It saves
// nothing; the quit path, and the end the system asks for, save the picture before they
// unload the window.

#include "FrmMain.h"

#include "SaveAndEndAtSignal.h"
#include "EndProgram.h"
#include "EndSignals.h"
#include "KeyboardHook.h"
#include "VbError.h"
#include "frmFirstTime.h"
#include "frmImport.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"

#include <cstdio>
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

void SaveAndEndAtSignal(FrmMain& form, int signal) {
    std::optional<SaveFailure> failure;
    try {
        failure = form.SaveColoredPicture();
    } catch (const std::exception&) {
        failure = SaveFailure{};
    }
    if (failure)
        std::fprintf(stderr, "The Tintavale was ended by %s. The colored picture could not be saved: %s\n",
                     SignalName(signal), qPrintable(SaveFailureCause(*failure)));
    SetExitStatus(128 + signal);
    // Unloading the colouring window ends the program; before it has a window there is
    // nothing to unload.
    if (form.IsLoaded())
        form.Unload();
    else
        EndProgram();
}
