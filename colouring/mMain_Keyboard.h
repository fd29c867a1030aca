#pragma once
// The keyboard lock's procedure: while the program runs it swallows Shift, Ctrl, Alt,
// both Windows keys and the Apps key, every key pressed with Alt down and every key
// pressed while Ctrl is held. Everything else goes on unchanged.

#include "KeyboardHook.h"

#include <cstdint>

// The keys the lock swallows, by the event's key code and flags and whether Ctrl is held.
bool LockSwallows(uint32_t vkCode, uint32_t flags, bool ctrlHeld);

// The hook procedure: -1 swallows the event, anything else lets it through.
int32_t KeyboardHookProc(int32_t nCode, uintptr_t wParam, intptr_t lParam);
