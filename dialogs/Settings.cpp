#include "Settings.h"

#include "AppPath.h"
#include "SaveFile.h"
#include "VbMath.h"
#include "WriteError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringDecoder>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <fcntl.h>
#include <locale.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Settings {

namespace {

constexpr int LineCount = 5;
// No sane settings file comes near this; a longer line makes the file unreadable
// rather than exhausting memory.
constexpr qsizetype MaxLineBytes = 64 * 1024 * 1024;

enum class ReadResult { Unopened, Read };

const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// Opens only a regular file, and without waiting: opening a pipe for reading waits for a
// writer that may never come, and opening a device can act on it. -1 for anything else.
int OpenRegularFile(const QString& path, int flags) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    int fd;
    do fd = ::open(name.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    // The name may have been swapped for something else since the check above.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// Reads up to `count` lines; a line ends at CR LF, LF or CR, and a last line without a
// break still counts. Fewer lines than asked for means the file ended (or failed) first.
// A UTF-8 byte-order mark that a text editor put at the start is not part of line 1.
ReadResult ReadLines(const QString& path, int count, QList<QByteArray>& lines) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return ReadResult::Unopened;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadResult::Unopened;
    }
    QByteArray current;
    bool afterCR = false;
    bool pending = false; // bytes (or a break) seen since the last finished line
    char buffer[64 * 1024];
    while (lines.size() < count) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got <= 0) break;
        qint64 start = 0;
        for (qint64 i = 0; i < got && lines.size() < count; ++i) {
            const char c = buffer[i];
            if (afterCR && c == '\n') {
                afterCR = false;
                start = i + 1;
                continue;
            }
            afterCR = false;
            if (c != '\r' && c != '\n') {
                pending = true;
                continue;
            }
            current.append(buffer + start, i - start);
            if (current.size() > MaxLineBytes) return ReadResult::Read;
            lines.append(current);
            current.clear();
            pending = false;
            afterCR = (c == '\r');
            start = i + 1;
        }
        if (lines.size() < count && start < got) {
            current.append(buffer + start, got - start);
            if (current.size() > MaxLineBytes) return ReadResult::Read;
        }
    }
    if (pending && lines.size() < count) lines.append(current);
    if (!lines.isEmpty() && lines[0].startsWith(ByteOrderMark)) lines[0].remove(0, 3);
    return ReadResult::Read;
}

// The text of bytes that are UTF-8 throughout (no overlong forms, no surrogates); a mark
// among them is kept as a character.
std::optional<QString> FromUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

bool IsAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (uchar(c) > 0x7F) return false;
    return true;
}

// The password line. Only it can hold anything beyond ASCII (lines 2 to 5 are numbers), so
// it alone decides the file's encoding: UTF-8 when its bytes are valid UTF-8 with at least
// one beyond ASCII, Latin-1 otherwise. Latin-1 text that happens to be valid UTF-8 (such
// as "\xC3\xA9") is thus read as UTF-8; real Latin-1 passwords almost never are, and the
// writer never leaves one that would be (see EncodePassword).
QString DecodePassword(const QByteArray& line) {
    if (IsAscii(line)) return QString::fromLatin1(line);
    return FromUtf8(line).value_or(QString::fromLatin1(line));
}

// Latin-1 where every character fits and the reader cannot take the bytes for UTF-8 or a
// byte-order mark, so ASCII and Latin-1 files keep their bytes; UTF-8 otherwise. A
// password that itself starts with U+FEFF gets a mark before it, since the reader drops one.
QByteArray EncodePassword(const QString& password) {
    bool latin1 = true;
    for (QChar c : password)
        if (c.unicode() > 0xFF) latin1 = false;
    if (latin1) {
        const QByteArray bytes = password.toLatin1();
        if (!bytes.startsWith(ByteOrderMark) && (IsAscii(bytes) || !FromUtf8(bytes))) return bytes;
    }
    const QByteArray bytes = password.toUtf8();
    return bytes.startsWith(ByteOrderMark) ? ByteOrderMark + bytes : bytes;
}

// Writes over the file itself, for a program folder that takes no new file while the
// settings file is writable. The old bytes are overwritten before the rest is cut off, so
// the room the file already has is used first.
bool WriteInPlace(const QString& path, const QByteArray& bytes) {
    const int fd = OpenRegularFile(path, O_WRONLY);
    if (fd < 0) return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            ok = false;
    }
    ok = ok && ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A line of a check-box state: the number rounded down, which must be 0, 1 or 2.
std::optional<int16_t> CheckState(const QByteArray& line) {
    const auto v = TextToNumber(line);
    if (!v) return std::nullopt;
    const double whole = std::floor(*v);
    if (whole < 0 || whole > 2) return std::nullopt;
    return int16_t(whole);
}

// The bubble-speed line of the options window: 2, 4 or 10 after rounding half to even.
std::optional<int16_t> SpeedIndex(const QByteArray& line) {
    const auto v = TextToNumber(line);
    if (!v) return std::nullopt;
    const double whole = vb::RoundHalfEven(*v);
    if (whole == 2) return int16_t(0);
    if (whole == 4) return int16_t(1);
    if (whole == 10) return int16_t(2);
    return std::nullopt;
}

const char* SpeedText(int16_t index) {
    switch (index) {
    case 0:
        return "2";
    case 2:
        return "10";
    default:
        return "4";
    }
}

// A whole number as a print to a file writes it: a blank or minus sign, the digits, a blank.
QByteArray PrintedNumber(int16_t n) {
    return (n < 0 ? QByteArray("-") : QByteArray(" ")) + QByteArray::number(std::abs(n)) + ' ';
}

} // namespace

QString SettingsPath() {
    return vb::AppPath() + QStringLiteral("/Settings.txt");
}

bool SettingsFileFound(const QString& path) {
    // A pipe or a device of that name is found, and cannot be read; a folder is not found.
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

std::optional<double> TextToNumber(QByteArrayView text) {
    qsizetype i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    while (n > i && IsBlank(text[n - 1])) --n;
    std::string core;
    core.reserve(size_t(n - i) + 1);
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') core += '-';
        ++i;
    }
    qsizetype digits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++digits) core += text[i];
    if (i < n && text[i] == '.') {
        core += '.';
        for (++i; i < n && IsDigit(text[i]); ++i, ++digits) core += text[i];
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        core += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) core += text[i++];
        qsizetype expDigits = 0;
        for (; i < n && IsDigit(text[i]); ++i, ++expDigits) core += text[i];
        if (expDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;

    // The decimal point is always '.', whatever locale the program runs in.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    errno = 0;
    const double v = strtod_l(core.c_str(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(v)) return std::nullopt; // overflow; underflow gives 0
    return v;
}

bool ReadOptionsSettings(const QString& path, OptionsSettings& into) {
    QList<QByteArray> lines;
    if (ReadLines(path, LineCount, lines) == ReadResult::Unopened) return false;
    if (lines.size() < 1) return false;
    into.Password = DecodePassword(lines[0]);
    int16_t* const states[] = {&into.AllowQuit, &into.PlaySound, &into.AutoHide};
    for (int k = 0; k < 3; ++k) {
        if (lines.size() < k + 2) return false;
        const auto state = CheckState(lines[k + 1]);
        if (!state) return false;
        *states[k] = *state;
    }
    if (lines.size() < 5) return false;
    const auto speed = SpeedIndex(lines[4]);
    if (!speed) return false;
    into.SpeedIndex = *speed;
    return true;
}

bool ReadStartupSettings(const QString& path, StartupSettings& into) {
    QList<QByteArray> lines;
    if (ReadLines(path, LineCount, lines) == ReadResult::Unopened) return false;
    if (lines.size() < 1) return false;
    into.Parental_Password = DecodePassword(lines[0]);
    for (int k = 0; k < 4; ++k) {
        if (lines.size() < k + 2) return false;
        const auto v = TextToNumber(lines[k + 1]);
        if (!v) return false;
        const double whole = std::floor(*v);
        switch (k) {
        case 0:
            into.QuitLocked = whole != 1;
            break;
        case 1:
            into.Play_Sound = whole != 0;
            break;
        case 2:
            into.AutoHideFunctions = whole != 0;
            break;
        case 3:
            if (std::abs(whole) > FLT_MAX) return false; // does not fit the speed's type
            into.BubbleSpeed = float(whole);
            break;
        }
    }
    return true;
}

QByteArray FormatSettings(const OptionsSettings& s) {
    QByteArray out = EncodePassword(s.Password) + "\r\n";
    for (int16_t state : {s.AllowQuit, s.PlaySound, s.AutoHide})
        out += PrintedNumber(state) + "\r\n";
    out += SpeedText(s.SpeedIndex);
    out += "\r\n";
    return out;
}

bool WriteSettings(const QString& path, const QByteArray& bytes) {
    // Clear the read-only mark; the new file takes over the old one's permissions.
    if (SettingsFileFound(path)) {
        QFile existing(path);
        const QFileDevice::Permissions p = existing.permissions();
        if (!(p & QFileDevice::WriteOwner) && !existing.setPermissions(p | QFileDevice::WriteOwner))
            return false;
    }
    vb::SaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        if (file.write(bytes) == bytes.size() && file.commit()) return true;
        file.cancelWriting();
    }
    // The folder takes no new file (or refuses the rename): the file itself may still be
    // writable. Any other failure keeps the old file whole.
    if (vb::ClassifyWriteError(file.SystemError()) != vb::WriteError::FolderNotWritable)
        return false;
    return WriteInPlace(path, bytes);
}

bool IsPasswordText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\r' || c == '\n') return false;
        // UTF-8 cannot store half of a pair.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

} // namespace Settings
