#include "ShowHelpTopic.h"

#include "AppPath.h"
#include "HtmlHelp.h"
#include "ShownPath.h"
#include "frmParentMessage.h"

void ShowHelpTopic(QWidget* hWnd, const QString& Topic) {
    const QString path = vb::AppPath() + QStringLiteral("/Help.chm");
    if (vb::HtmlHelpA(hWnd, path, vb::HH_DISPLAY_TOPIC, Topic) != 0) return;
    Forms::frmParentMessage().setMessage(QStringLiteral("Unable to start the help file '") +
                                         ShownPath(path) +
                                         QStringLiteral("'. Please make sure that it exists."));
    Forms::frmParentMessage().Show(true);
}
