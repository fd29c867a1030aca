#include "mMain_Keyboard.h"

#include <cstring>

using namespace vb;

namespace {
// The event being filtered.
KBDLLHOOKSTRUCT HookKey;
} // namespace

bool LockSwallows(uint32_t vkCode, uint32_t flags, bool ctrlHeld) {
    const bool altDown = (flags & LLKHF_ALTDOWN) != 0;
    switch (vkCode) {
    case VK_APPS:
    case VK_RWIN:
    case VK_LWIN:
    case VK_MENU:
    case VK_CONTROL:
    case VK_SHIFT:
        return true;
    default:
        return altDown || ctrlHeld;
    }
}

int32_t KeyboardHookProc(int32_t nCode, uintptr_t wParam, intptr_t lParam) {
    if (nCode != HC_ACTION) return CallNextHookEx(0, nCode, wParam, lParam);
    if (wParam != WM_KEYDOWN && wParam != WM_SYSKEYDOWN && wParam != WM_KEYUP &&
        wParam != WM_SYSKEYUP)
        return CallNextHookEx(0, nCode, wParam, lParam);
    std::memcpy(&HookKey, reinterpret_cast<const void*>(lParam), sizeof HookKey);
    const bool ctrlHeld = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (LockSwallows(HookKey.vkCode, HookKey.flags, ctrlHeld)) return -1;
    return CallNextHookEx(0, nCode, wParam, lParam);
}
