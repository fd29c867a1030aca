// The program's start: loading the colouring window is the start-up; the event loop is
// the main loop. The program folder is the executable's folder.

#include "FrmMain.h"
#include "PictureArea.h"

#include <QApplication>

int main(int argc, char** argv) {
    vb::UseSocketImageTransfer();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("The Tintavale"));
    // Windows come and go (the chooser hides, messages unload); only the colouring
    // window's unload ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    Forms::FrmMain().Load();
    return app.exec();
}
