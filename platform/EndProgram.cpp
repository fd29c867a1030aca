#include "EndProgram.h"

#include <cstdio>
#include <unistd.h>

namespace vb {

namespace {
std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}
} // namespace

void EndProgram() {
    if (handler()) {
        handler()();
        return;
    }
    std::fflush(nullptr);
    _exit(0);
}

void SetEndProgramHandler(std::function<void()> h) { handler() = std::move(h); }

} // namespace vb
