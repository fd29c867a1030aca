#include "Settings.h"

#include "AppPath.h"
#include "SaveFile.h"
#include "VbMath.h"
#include "WriteError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringDecoder>
#include <algorithm>
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

// Windows-1252 in 0x80-0x9F; the five bytes it leaves undefined stand for the control
// characters of the same number, as the platform's own conversion has them.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

// Nothing when a character has no byte in Windows-1252.
std::optional<QByteArray> ToWindows1252(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes[i] = char(c);
            continue;
        }
        const auto* end = std::end(Windows1252High);
        const auto* at = std::find(std::begin(Windows1252High), end, c);
        if (at == end) return std::nullopt;
        bytes[i] = char(0x80 + (at - std::begin(Windows1252High)));
    }
    return bytes;
}

// The password line. Only it can hold anything beyond ASCII (lines 2 to 5 are numbers), so
// it alone decides the file's encoding: UTF-8 when its bytes are valid UTF-8 with at least
// one beyond ASCII, Windows-1252 otherwise. Windows-1252 text that happens to be valid
// UTF-8 (such as "\xC3\xA9") is thus read as UTF-8; real passwords almost never are, and
// the writer never leaves one that would be (see EncodePassword).
QString DecodePassword(const QByteArray& line) {
    if (IsAscii(line)) return QString::fromLatin1(line);
    if (auto text = FromUtf8(line)) return *text;
    return FromWindows1252(line);
}

// Windows-1252 where every character fits and the reader cannot take the bytes for UTF-8
// or a byte-order mark, so ASCII and Windows-1252 files keep their bytes; UTF-8 otherwise.
// A password that itself starts with U+FEFF gets a mark before it, since the reader drops
// one.
QByteArray EncodePassword(const QString& password) {
    if (const auto bytes = ToWindows1252(password)) {
        if (!bytes->startsWith(ByteOrderMark) && (IsAscii(*bytes) || !FromUtf8(*bytes)))
            return *bytes;
    }
    const QByteArray bytes = password.toUtf8();
    return bytes.startsWith(ByteOrderMark) ? ByteOrderMark + bytes : bytes;
}

// An in-place write keeps the old bytes in memory to put them back; a settings file holds
// a few hundred, so a far bigger one is not written over.
constexpr qsizetype MaxRestoreBytes = 1024 * 1024;

// Writes `size` bytes at the start of the file; `done` counts those that reached it.
bool WriteFromStart(int fd, const char* data, qsizetype size, qsizetype& done) {
    done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(done));
        if (n > 0)
            done += n;
        else if (!(n < 0 && errno == EINTR))
            return false;
    }
    return true;
}

// The whole file, when it is no bigger than `limit` and can be read.
std::optional<QByteArray> ReadWhole(int fd, qsizetype limit) {
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        if (bytes.size() + n > limit) return std::nullopt;
        bytes.append(buffer, n);
    }
}

// The permission bits a written settings file gets: the old ones, readable and writable
// by the owner, so that no write leaves a file its owner cannot read back.
mode_t OwnerCanReadAndWrite(mode_t mode) {
    return (mode & 0777) | S_IRUSR | S_IWUSR;
}

// Writes over the file itself, for a program folder that takes no new file while the
// settings file is writable. Should any step fail, the bytes it may have changed are
// put back: under a limit on file sizes those are only bytes that were written before.
WriteResult WriteInPlace(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return WriteResult::OldKept;
    const mode_t oldMode = st.st_mode & 0777, mode = OwnerCanReadAndWrite(st.st_mode);
    if (oldMode != mode && ::chmod(name.constData(), mode) != 0) return WriteResult::OldKept;
    // A file left as it was keeps its old permissions too.
    const auto keepOld = [&] {
        if (oldMode != mode) ::chmod(name.constData(), oldMode);
        return WriteResult::OldKept;
    };
    const int fd = OpenRegularFile(path, O_RDWR);
    if (fd < 0) return keepOld();
    const std::optional<QByteArray> old = ReadWhole(fd, MaxRestoreBytes);
    if (!old) {
        ::close(fd);
        return keepOld();
    }
    qsizetype done = 0;
    bool ok = WriteFromStart(fd, bytes.constData(), bytes.size(), done);
    qsizetype touched = done;
    if (ok) {
        touched = std::max(touched, old->size()); // cutting the file off changes the rest
        ok = ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
    }
    WriteResult result = WriteResult::Written;
    if (!ok) {
        qsizetype restored = 0;
        const bool back =
            WriteFromStart(fd, old->constData(), std::min(old->size(), touched), restored) &&
            ::ftruncate(fd, old->size()) == 0 && ::fsync(fd) == 0;
        result = back ? WriteResult::OldKept : WriteResult::Damaged;
    }
    ::close(fd);
    return result == WriteResult::OldKept ? keepOld() : result;
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

WriteResult WriteSettings(const QString& path, const QByteArray& bytes) {
    // A rename cannot put a file over a folder; writing over it in place cannot either.
    if (QFileInfo(path).isDir()) return WriteResult::FolderInTheWay;
    struct stat old;
    const bool oldIsFile =
        ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);
    vb::SaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        struct stat fresh;
        const bool modeSet =
            ::fstat(file.handle(), &fresh) == 0 &&
            ::fchmod(file.handle(),
                     OwnerCanReadAndWrite(oldIsFile ? old.st_mode : fresh.st_mode)) == 0;
        if (modeSet && file.write(bytes) == bytes.size() && file.commit())
            return WriteResult::Written;
        file.cancelWriting();
    }
    // The folder takes no new file (or refuses the rename): the file itself may still be
    // writable. Any other failure keeps the old file whole.
    if (vb::ClassifyWriteError(file.SystemError()) != vb::WriteError::FolderNotWritable)
        return WriteResult::OldKept;
    return WriteInPlace(path, bytes);
}

bool SamePassword(const QString& a, const QString& b) {
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
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
