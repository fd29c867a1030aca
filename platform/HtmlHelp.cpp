#include "HtmlHelp.h"

#include "HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace vb {

namespace {
// Like the platform's viewer, the program keeps one help window at a time.
QPointer<HelpWindow>& current() {
    static QPointer<HelpWindow> window;
    return window;
}
} // namespace

intptr_t HtmlHelpA(QWidget* owner, const QString& file, uint32_t command, const QString& topic,
                   int32_t showCommand) {
    if (command != HH_DISPLAY_TOPIC) return 0;
    std::unique_ptr<ChmFile> chm = ChmFile::Open(file);
    if (!chm) return 0;
    const QString page = topic.isEmpty() ? chm->DefaultTopic() : topic;
    if (page.isEmpty() || !chm->Contains(HelpBrowser::TopicUrl(page).path(QUrl::FullyDecoded)))
        return 0;

    HelpWindow* w = current();
    const bool sameFile =
        w && QFileInfo(w->File()).absoluteFilePath() == QFileInfo(file).absoluteFilePath();
    if (!w || !sameFile || w->parentWidget() != owner) {
        if (w) w->close();
        w = new HelpWindow(std::move(chm), owner);
        current() = w;
    }
    w->ShowTopic(page);
    if (showCommand == SW_SHOWMAXIMIZED) {
        // The state alone is a wish that only a window manager grants; the geometry makes
        // it true on a bare display too, before the window is first shown.
        if (const QScreen* screen = w->screen()) w->setGeometry(screen->availableGeometry());
        w->showMaximized();
    } else {
        w->show();
    }
    // The offscreen test platform has no stacking to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
    return reinterpret_cast<intptr_t>(w);
}

} // namespace vb
