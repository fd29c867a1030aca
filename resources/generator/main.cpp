// tv_assetgen <resources dir>: draws and synthesises every asset of the program
// and the sample picture library into the given folder.
#include "common.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // Fonts need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tv_assetgen <resources dir>\n");
        return 2;
    }
    const QDir root(args.at(1));
    if (!root.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", qPrintable(args.at(1)));
        return 2;
    }
    const gen::Out out{root};

    makeFaces(out);
    makeSmallButtons(out);
    makeBubbles(out);
    makeBrushes(out);
    makeSounds(out);
    makeScenes(out);
    makeIconAndCursors(out);
    makeBooks(out);
    std::printf("assets written to %s\n", qPrintable(root.absolutePath()));
    return 0;
}
