#include "EndProgram.h"

#include <cstdio>
#include <unistd.h>

namespace vb {

namespace {
std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}
int exitStatus = 0;
} // namespace

void EndProgram() {
    if (handler()) {
        handler()();
        return;
    }
    std::fflush(nullptr);
    _exit(exitStatus);
}

void SetExitStatus(int status) { exitStatus = status; }
int ExitStatus() { return exitStatus; }

void SetEndProgramHandler(std::function<void()> h) { handler() = std::move(h); }

} // namespace vb
