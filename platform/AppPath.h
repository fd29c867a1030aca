#pragma once
// The program folder: where the executable lives and where every file of the program
// is read and written. Tests point it at a temporary folder.

#include <QString>

namespace vb {

// The program folder without a trailing separator.
QString AppPath();
// Overrides the program folder; an empty path returns to the executable's folder.
void SetAppPath(const QString& path);

} // namespace vb
