#include "Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vb {

namespace {
std::function<bool(const QUrl&)>& opener() {
    static std::function<bool(const QUrl&)> o;
    return o;
}

QList<QByteArray>& ownSettings() {
    static QList<QByteArray> names;
    return names;
}

// A web address or mail link, as opposed to a path.
bool IsAddress(const QString& file) {
    static const QStringList schemes{"http", "https", "ftp", "mailto", "file"};
    const QUrl url(file, QUrl::StrictMode);
    return url.isValid() && schemes.contains(url.scheme().toLower());
}

// How long the desktop's opener has to say it found nothing to open the URL with. One
// still running then has a program open in the foreground: it has done its work.
constexpr int OpenerVerdictMs = 2000;
constexpr int OpenerPollMs = 20;
constexpr int StillRunning = -1;
constexpr int NotStarted = 256; // beyond any exit status

// Starts `program url` detached from us and returns whether it opened the URL. A middle
// process waits for the opener and reports through a pipe, then exits, so the opener is
// nobody's child to kill and outlives us; once orphaned, init reaps it.
bool RunDetachedOpener(const QString& program, const QUrl& url) {
    const QByteArray path = QFile::encodeName(program);
    const QByteArray address = url.toEncoded();
    char* const argv[] = {const_cast<char*>(path.constData()),
                          const_cast<char*>(address.constData()), nullptr};
    char** const env = environ;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t middle = ::fork();
    if (middle == 0) {
        // Other threads may hold locks: only async-signal-safe calls until exec or _exit.
        ::close(report[0]);
        const pid_t opener = ::fork();
        if (opener == 0) {
            ::setsid();
            ::execve(argv[0], argv, env);
            ::_exit(127);
        }
        int answer = opener > 0 ? StillRunning : NotStarted;
        for (int waited = 0; opener > 0 && waited < OpenerVerdictMs; waited += OpenerPollMs) {
            int status = 0;
            const pid_t done = ::waitpid(opener, &status, WNOHANG);
            if (done == opener) {
                answer = WIFEXITED(status) ? WEXITSTATUS(status) : NotStarted;
                break;
            }
            if (done < 0 && errno != EINTR) break; // cannot happen to our own child
            ::poll(nullptr, 0, OpenerPollMs);
        }
        const ssize_t written = ::write(report[1], &answer, sizeof answer);
        ::_exit(written == sizeof answer ? 0 : 1);
    }
    ::close(report[1]);
    int answer = NotStarted;
    if (middle > 0) {
        // Only the middle process holds the write end: the read ends within its wait.
        ssize_t got;
        do got = ::read(report[0], &answer, sizeof answer);
        while (got < 0 && errno == EINTR);
        if (got != sizeof answer) answer = NotStarted;
        while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(report[0]);
    return answer == 0 || answer == StillRunning;
}

// On X11 the toolkit would start xdg-open and take its start for success, though it fails
// a moment later when there is no program for the URL. We start it ourselves to hear that.
// Elsewhere, in a sandbox (the toolkit asks the portal) or without xdg-open, the toolkit's
// way stands.
bool OpenWithDesktop(const QUrl& url) {
    if (QGuiApplication::platformName() == QLatin1String("xcb") &&
        !QFileInfo::exists(QStringLiteral("/.flatpak-info")) && !qEnvironmentVariableIsSet("SNAP")) {
        const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!xdgOpen.isEmpty()) return RunDetachedOpener(xdgOpen, url);
    }
    return QDesktopServices::openUrl(url);
}
} // namespace

int32_t ShellExecuteA(QWidget* owner, const QString& operation, const QString& file,
                      const QString& parameters, const QString& directory, int32_t showCmd) {
    Q_UNUSED(owner);
    Q_UNUSED(parameters);
    Q_UNUSED(directory);
    Q_UNUSED(showCmd);
    if (!operation.isEmpty() && operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    QUrl url;
    if (IsAddress(file)) {
        url = QUrl(file);
    } else {
        if (file.isEmpty() || !QFileInfo::exists(file)) return SE_ERR_FNF;
        url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    }
    const bool opened = opener() ? opener()(url) : OpenWithDesktop(url);
    return opened ? SE_SUCCESS : SE_ERR_NOASSOC;
}

void SetForOwnStartup(const char* name, const char* value) {
    if (qEnvironmentVariableIsSet(name)) return;
    qputenv(name, value);
    ownSettings() << name;
}

void ForgetOwnSettings() {
    for (const QByteArray& name : ownSettings()) qunsetenv(name.constData());
    ownSettings().clear();
}

void SetShellOpener(std::function<bool(const QUrl&)> o) {
    opener() = std::move(o);
}

} // namespace vb
