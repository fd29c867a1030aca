#pragma once
// Writes under a limit on the size of files, as some kiosks and parental setups impose.
// The limited process is set up by the program's own start-up function, so that a write
// past the limit fails (as on a full disk) only because the program arranged it.

#include "WriteLimit.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing {

// Runs `work` in a child process whose files cannot grow past `bytes`; what `work`
// returned, or how the child ended without returning it ("killed by signal 25" when the
// limit ended it).
inline QString InChildUnderSizeLimit(rlim_t bytes, const std::function<QString()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_DFL); // whatever this test did before: only the start-up counts
        vb::LetWritesFailAtSizeLimit();
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::alarm(30); // a child that hangs ends all the same
        const QByteArray text = work().toUtf8();
        const ssize_t written = ::write(fds[1], text.constData(), size_t(text.size()));
        ::_exit(written == text.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray text;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(text)
                                                         : QStringLiteral("child failed");
}

// Runs this test program again with `arguments`, in a process whose files cannot grow past
// `bytes`; what it printed, or how it ended without finishing. The child must set itself up
// as the program's start-up does. (A fork cannot take windows along: a child that shows
// any must be a program of its own.)
inline QString RunUnderSizeLimit(rlim_t bytes, const QStringList& arguments) {
    QProcess child;
    child.setChildProcessModifier([bytes] {
        std::signal(SIGXFSZ, SIG_DFL); // whatever this test did before: only the start-up counts
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("child hung");
    }
    if (child.exitStatus() != QProcess::NormalExit) return QStringLiteral("child killed");
    return QString::fromUtf8(child.readAllStandardOutput());
}

// While it lives, no file of this process may grow past `bytes`. The process must have
// been set up as the program's start-up does (vb::LetWritesFailAtSizeLimit).
class SizeLimit {
public:
    explicit SizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~SizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    SizeLimit(const SizeLimit&) = delete;
    SizeLimit& operator=(const SizeLimit&) = delete;

private:
    rlimit old_{};
};

} // namespace testing
