#pragma once
// Ending the program at once: no unload step runs and nothing is saved. Callers return
// right after the call, so that a test that intercepts the end sees no further work.

#include <functional>

namespace vb {

void EndProgram();
// The exit status EndProgram leaves with: 0 unless set (an end the system asked for by a
// signal sets 128 + its number, as a shell reports a program the signal ended).
void SetExitStatus(int status);
int ExitStatus();
// Replaces what EndProgram does (tests record the end instead of leaving the process).
void SetEndProgramHandler(std::function<void()> handler);

} // namespace vb
