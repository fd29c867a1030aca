#include "ShownPath.h"

#include <QDir>

namespace {

// The start keeps at least this much, so that a very long last name cannot hide where
// the path lies.
constexpr qsizetype MinShownStart = 20;

const QChar Ellipsis(0x2026);

} // namespace

QString ShownPath(const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    while (shown.size() > 1 && shown.endsWith(QDir::separator())) shown.chop(1);
    if (shown.size() <= MaxShownPathLength) return shown;

    const qsizetype room = MaxShownPathLength - 1; // for the start and the end
    const qsizetype lastName = shown.size() - shown.lastIndexOf(QDir::separator());
    qsizetype end = std::min(lastName, room - MinShownStart);
    qsizetype start = room - end;
    // Never half a character that takes two.
    if (shown.at(start - 1).isHighSurrogate()) --start;
    if (shown.at(shown.size() - end).isLowSurrogate()) --end;
    return shown.left(start) + Ellipsis + shown.right(end);
}
