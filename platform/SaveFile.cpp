#include "SaveFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
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
        errno = 0;
        if (QFile::open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            systemError_ = 0;
            const QFileInfo old(target_);
            if (old.exists()) setPermissions(old.permissions());
            return true;
        }
        const int cause = errno != 0 ? errno : EIO; // before the test below can change it
        // Only a name that happens to be taken is worth another try.
        if (!QFileInfo::exists(fileName())) {
            systemError_ = cause;
            return false;
        }
    }
    systemError_ = EEXIST;
    return false;
}

qint64 SaveFile::writeData(const char* data, qint64 length) {
    errno = 0;
    const qint64 written = QFile::writeData(data, length);
    if (written != length) noteFailure();
    return written;
}

void SaveFile::noteFailure() {
    if (systemError_ == 0) systemError_ = errno != 0 ? errno : EIO;
}

bool SaveFile::commit() {
    if (!isOpen()) return false;
    errno = 0;
    const bool written = systemError_ == 0 && flush() && ::fsync(handle()) == 0;
    if (!written) noteFailure();
    close();
    if (written && error() == NoError) {
        if (std::rename(QFile::encodeName(fileName()).constData(),
                        QFile::encodeName(target_).constData()) == 0)
            return true;
        noteFailure();
    }
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
