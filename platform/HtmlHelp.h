#pragma once
// Opening a topic of a compiled HTML help file (.chm) in the program's own help viewer.

#include "Shell.h"

#include <QString>
#include <cstdint>

class QWidget;

namespace vb {

constexpr uint32_t HH_DISPLAY_TOPIC = 0;

// Shows `topic` (a page inside the file, such as "new pictures.htm"; "" for the file's
// default page) of the help file `file` in the help window, and returns that window's
// handle. The window belongs to `owner` (none when null) and closes when the owner is
// destroyed; a second call for the same owner and file shows the new topic in the same
// window. Returns 0, and opens nothing, when the file cannot be read as a help file, has
// no such page, or the command is not HH_DISPLAY_TOPIC. With `showCommand`
// SW_SHOWMAXIMIZED (3) the window fills the screen's work area, even on a display
// without a window manager to maximise it; otherwise it opens at its reading size.
intptr_t HtmlHelpA(QWidget* owner, const QString& file, uint32_t command, const QString& topic,
                   int32_t showCommand = SW_SHOWNORMAL);

} // namespace vb
