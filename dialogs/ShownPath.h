#pragma once
// A path as the parents read it inside a message.

#include <QString>

// The longest path a message shows whole, in characters. With it, every message that
// names a path keeps its last paragraph inside its window.
constexpr qsizetype MaxShownPathLength = 60;

// `path` with native separators and no trailing separator; when that is longer than
// MaxShownPathLength, its middle gives way to "…": the start (where it lies) and the end
// (the file or folder meant, whole when it is not itself too long) stay.
QString ShownPath(const QString& path);
