#pragma once
// "Settings.txt": five lines of text in the program folder (password, allow quitting,
// sounds, auto-hide, bubble speed), in Windows-1252, or in UTF-8 when the password needs it.
// Two readers with different rules live side by side here: the options window's strict
// one and the colouring window's lenient start-up one. The options window is the only
// writer.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace Settings {

// The settings file of the program folder.
QString SettingsPath();

// Whether a directory search finds the file: anything of that name but a folder. Only a
// regular file can be read; a pipe or device is a file that cannot be.
bool SettingsFileFound(const QString& path);

// The platform's text-to-number conversion: blanks around an optional sign, digits with
// an optional decimal point and an optional exponent (e, E, d or D). Anything else, an
// empty text included, or a value beyond the range of a double, is not a number.
std::optional<double> TextToNumber(QByteArrayView text);

// What the options window shows. Check-box states: 0 clear, 1 ticked, 2 greyed.
// The default values are the window's initial states.
struct OptionsSettings {
    QString Password;
    int16_t AllowQuit = 0;  // O(2)
    int16_t PlaySound = 1;  // Check1
    int16_t AutoHide = 0;   // Check2
    int16_t SpeedIndex = 1; // Option1: 0 fast ("2"), 1 medium ("4"), 2 slow ("10")
};

// The options window's reader: lines 2 to 4 rounded down must be 0, 1 or 2; line 5,
// trimmed of blanks and rounded half to even, must be 2, 4 or 10. Each line read fills its
// field at once, so on failure (false) the fields before the bad line hold the file's
// values and the rest keep what they had.
bool ReadOptionsSettings(const QString& path, OptionsSettings& into);

// The colouring window's fields taken from the file.
struct StartupSettings {
    QString Parental_Password;
    bool QuitLocked = true;
    bool Play_Sound = false;
    bool AutoHideFunctions = false;
    float BubbleSpeed = 0;
};

// The start-up reader: any number on lines 2 to 5, rounded down. Quitting is free only
// for exactly 1; sounds and auto-hide are on for anything but 0; the bubble speed is the
// whole number. Fields are filled as their lines are read; false at the first failure.
bool ReadStartupSettings(const QString& path, StartupSettings& into);

// The file's exact bytes: line 1 the password, lines 2 to 4 " 0 ", " 1 " or " 2 ", line 5
// "2", "4" or "10", each ended by CR LF. The password is in Windows-1252 when every
// character fits and the bytes cannot be taken for UTF-8, else in UTF-8; the readers take
// line 1 as UTF-8 when it is valid UTF-8 beyond ASCII (after a byte-order mark, which they
// skip), else as Windows-1252. So every password reads back as typed, and ASCII and
// Windows-1252 files keep their bytes.
QByteArray FormatSettings(const OptionsSettings& settings);

enum class WriteResult {
    Written,        // the file holds the new bytes
    OldKept,        // the file is as it was (left alone, or its old bytes put back)
    FolderInTheWay, // a folder of that name stands where the file should be
    Damaged,        // a write over the file failed and its old bytes could not be put back
};

// Replaces the file with these bytes through a temporary file in the same folder, so a
// failure leaves the old file whole. Where the folder takes no new file, an existing
// regular file is written over in place, and put back as it was should that fail. The
// file written keeps the old one's permission bits, and its owner may always read and
// write it.
WriteResult WriteSettings(const QString& path, const QByteArray& bytes);

// Whether two passwords are the same text however their characters were composed ("é" as
// one code point or as "e" and an accent).
bool SamePassword(const QString& a, const QString& b);

// Whether the password box can hold this text: anything one line of the file can store,
// so no line breaks and no half of a surrogate pair.
bool IsPasswordText(const QString& text);

} // namespace Settings
