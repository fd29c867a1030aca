#include "EndSignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vb {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's write end, for the handler; the read end wakes the event loop.
int wakeWrite = -1;
int wakeRead = -1;

std::function<void(int)>& ending() {
    static std::function<void(int)> f;
    return f;
}

// Only what is safe in a signal handler: one byte into a non-blocking pipe. When the
// pipe is full a signal is pending already, and this one can be dropped.
void onSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &byte, 1);
    errno = saved;
}

// The pipe and its notifier, made once.
bool wakeReady() {
    static QPointer<QSocketNotifier> notifier;
    if (notifier) {
        // Armed again: what came meanwhile is no new request.
        unsigned char drained[64];
        while (::read(wakeRead, drained, sizeof drained) > 0) {
        }
        notifier->setEnabled(true);
        return true;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    wakeRead = fds[0];
    wakeWrite = fds[1];
    notifier = new QSocketNotifier(wakeRead, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        unsigned char byte = 0;
        if (::read(wakeRead, &byte, 1) != 1) return;
        // Once: whatever comes later stays in the pipe, unread, while the end runs.
        notifier->setEnabled(false);
        if (ending()) ending()(byte);
    });
    return true;
}

} // namespace

bool InstallEndSignalHandlers(std::function<void(int)> end) {
    ending() = std::move(end);
    if (!wakeReady()) return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGINT: return "SIGINT";
    default: break;
    }
    static char number[16];
    std::snprintf(number, sizeof number, "signal %d", signal);
    return number;
}

} // namespace vb
