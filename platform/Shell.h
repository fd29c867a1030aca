#pragma once
// Asking the desktop to open a file, a folder or a web page with whatever program the
// user has chosen for it.

#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>

class QWidget;

namespace vb {

constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOWMAXIMIZED = 3;
constexpr int32_t SW_SHOW = 5;

constexpr int32_t SE_ERR_FNF = 2;      // the file does not exist
constexpr int32_t SE_ERR_NOASSOC = 31; // nothing could open it
constexpr int32_t SE_SUCCESS = 42;     // anything above 32 is success

// Opens `file` (a path, or a web address with its scheme) with the verb "open". The
// parameters, folder and show command are the caller's wishes; the desktop decides. On X11
// this waits up to two seconds for the desktop's opener to say whether it could open it.
int32_t ShellExecuteA(QWidget* owner, const QString& operation, const QString& file,
                      const QString& parameters, const QString& directory, int32_t showCmd);

// Sets `name` to `value` for the program's own start-up, unless the environment already
// holds it: the toolkit reads such settings while the application object is made.
// ForgetOwnSettings, called once that object exists, takes them out again, so the programs
// we start get the environment we were given.
void SetForOwnStartup(const char* name, const char* value);
void ForgetOwnSettings();

// Replaces what opens a URL (tests record instead of starting programs); nullptr returns
// to the desktop's.
void SetShellOpener(std::function<bool(const QUrl&)> opener);

} // namespace vb
