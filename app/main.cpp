// The program's start: the colouring window's load step is the start-up.

#include "AppPath.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("The Tintavale"));
    QApplication::setQuitOnLastWindowClosed(false);
    return 0;
}
