// The program's start: loading the colouring window is the start-up; the event loop is
// the main loop. The program folder is the executable's folder.

#include "AppPath.h"
#include "SaveAndEndAtSignal.h"
#include "EndSignals.h"
#include "FrmMain.h"
#include "Leftovers.h"
#include "PictureArea.h"
#include "Shell.h"
#include "WriteLimit.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Before anything is written: a file-size limit must fail a save, not end the program.
    vb::LetWritesFailAtSizeLimit();
    vb::UseSocketImageTransfer();
    QApplication app(argc, argv);
    // The window system connection has read its settings: the browser and file manager we
    // may start must not inherit them.
    vb::ForgetOwnSettings();
    QApplication::setApplicationName(QStringLiteral("The Tintavale"));
    // Windows come and go (the chooser hides, messages unload); only the colouring
    // window's unload ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Logout, shutdown or Ctrl+C: the colouring is saved first, whatever window is open.
    vb::InstallEndSignalHandlers(
        [](int signal) { SaveAndEndAtSignal(Forms::FrmMain(), signal); });
    // An import or save that was interrupted last time must not reach the library scan.
    ClearLeftovers(vb::AppPath());
    Forms::FrmMain().Load();
    return app.exec();
}
