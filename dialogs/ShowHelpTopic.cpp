#include "ShowHelpTopic.h"

#include "AppPath.h"
#include "HtmlHelp.h"
#include "ShownPath.h"
#include "frmParentMessage.h"

void ShowHelpTopic(QWidget* hWnd, const QString& Topic) {
    const QString path = vb::AppPath() + QStringLiteral("/Help.chm");
    if (vb::HtmlHelpA(hWnd, path, vb::HH_DISPLAY_TOPIC, Topic) != 0) return;
    TellHelpFileMissing(path);
}

void TellHelpFileMissing(const QString& path, bool fullStop) {
    Forms::frmParentMessage().setMessage(QStringLiteral("Unable to start the help file '") +
                                         ShownPath(path) +
                                         (fullStop ? QStringLiteral("'.") : QStringLiteral("'")) +
                                         QStringLiteral(" Please make sure that it exists."));
    Forms::frmParentMessage().Show(true);
}
