#include "AppPath.h"

#include <QCoreApplication>

namespace vb {

namespace {
QString& overridePath() {
    static QString path;
    return path;
}
} // namespace

QString AppPath() {
    if (!overridePath().isEmpty()) return overridePath();
    return QCoreApplication::applicationDirPath();
}

void SetAppPath(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    overridePath() = p;
}

} // namespace vb
