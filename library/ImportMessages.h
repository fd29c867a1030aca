#pragma once
// What the parents are told when a picture pack could not be added. Every text of a
// failed import lives here.

#include "PicturePack.h"

#include <QString>

// The message for a pack that was not installed into `booksFolder`: damaged, holding a
// file the library would not show or two pictures sharing a coloured copy, too large to
// color, or not written (with the cause, when the system named one).
QString ImportFailureText(const PicturePack::Result& result, const QString& booksFolder);
