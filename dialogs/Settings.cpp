#include "Settings.h"

#include "AppPath.h"
#include "SaveFile.h"
#include "VbMath.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <locale.h>
#include <stdlib.h>
#include <string>

namespace Settings {

namespace {

constexpr int LineCount = 5;
// No sane settings file comes near this; a longer line makes the file unreadable
// rather than exhausting memory.
constexpr qsizetype MaxLineBytes = 64 * 1024 * 1024;

enum class ReadResult { Unopened, Read };

// Reads up to `count` lines; a line ends at CR LF, LF or CR, and a last line without a
// break still counts. Fewer lines than asked for means the file ended (or failed) first.
ReadResult ReadLines(const QString& path, int count, QList<QByteArray>& lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ReadResult::Unopened;
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
    return ReadResult::Read;
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
    return QFileInfo(path).isFile();
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
    into.Password = QString::fromLatin1(lines[0]);
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
    into.Parental_Password = QString::fromLatin1(lines[0]);
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
    QByteArray out = s.Password.toLatin1() + "\r\n";
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
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool IsPasswordCharacter(QChar c) {
    return c.unicode() <= 0xFF && c != '\r' && c != '\n';
}

} // namespace Settings
