#pragma once
// The program's end when the system asks for it by a signal (see EndSignals.h).

class FrmMain;

// Ends the program the orderly way, as quitting does but without asking anyone: the
// coloured picture is saved (a failure is told on standard error, in one line, since no
// one may be there to read a window), every window goes, whatever waits for a click
// included, the keyboard lock is removed, and the program ends with 128 + `signal`.
void SaveAndEndAtSignal(FrmMain& form, int signal);
