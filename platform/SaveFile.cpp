#include "SaveFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace vb {

namespace {

const QLatin1String Marker(".tv-save-");
constexpr int RandomLength = 6;

QString temporaryName(const QString& target) {
    const QFileInfo info(target);
    return info.path() + QLatin1String("/.") + info.fileName() + Marker +
           RandomSuffix(RandomLength);
}

} // namespace

QString RandomSuffix(int length) {
    static const char characters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < length; ++i)
        suffix += QLatin1Char(
            characters[QRandomGenerator::global()->bounded(int(sizeof characters) - 1)]);
    return suffix;
}

SaveFile::SaveFile(const QString& target) : target_(target) {}

SaveFile::~SaveFile() {
    cancelWriting();
}

bool SaveFile::open(OpenMode) {
    if (isOpen()) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        setFileName(temporaryName(target_));
        if (QFile::open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const QFileInfo old(target_);
            if (old.exists()) setPermissions(old.permissions());
            return true;
        }
        // Only a name that happens to be taken is worth another try.
        if (!QFileInfo::exists(fileName())) return false;
    }
    return false;
}

bool SaveFile::commit() {
    if (!isOpen()) return false;
    const bool written = flush() && ::fsync(handle()) == 0;
    close();
    if (written && error() == NoError &&
        std::rename(QFile::encodeName(fileName()).constData(),
                    QFile::encodeName(target_).constData()) == 0)
        return true;
    QFile::remove(fileName()); // keeps this file's error for the caller
    return false;
}

void SaveFile::cancelWriting() {
    if (!isOpen()) return;
    close();
    QFile::remove(fileName());
}

bool SaveFile::IsLeftover(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.tv-save-[A-Za-z0-9]{%1}$").arg(RandomLength));
    return pattern.match(fileName).hasMatch();
}

} // namespace vb
