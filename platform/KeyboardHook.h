#pragma once
// A low-level keyboard hook: every key press and release of the program passes through
// the installed procedures, newest first, as a KBDLLHOOKSTRUCT record before any window
// sees it; a procedure that returns -1 drops the event. On X11 the program also holds
// the keyboard while a hook is installed, so no other program of the desktop gets keys.

#include <Qt>
#include <cstdint>

namespace vb {

constexpr int32_t WH_KEYBOARD_LL = 13;
constexpr int32_t HC_ACTION = 0;

constexpr uintptr_t WM_KEYDOWN = 0x100;
constexpr uintptr_t WM_KEYUP = 0x101;
constexpr uintptr_t WM_SYSKEYDOWN = 0x104;
constexpr uintptr_t WM_SYSKEYUP = 0x105;

constexpr uint32_t LLKHF_ALTDOWN = 0x20;
constexpr uint32_t LLKHF_UP = 0x80;

constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_LWIN = 0x5B;
constexpr uint32_t VK_RWIN = 0x5C;
constexpr uint32_t VK_APPS = 0x5D;
constexpr uint32_t VK_F10 = 0x79;

// The record a hook procedure gets the address of: five 32-bit fields, 20 bytes.
struct KBDLLHOOKSTRUCT {
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;
    uint32_t flags = 0;
    uint32_t time = 0;
    uint32_t dwExtraInfo = 0;
};
static_assert(sizeof(KBDLLHOOKSTRUCT) == 20);

// nCode, the key message, the address of the event's KBDLLHOOKSTRUCT.
using HOOKPROC = int32_t (*)(int32_t nCode, uintptr_t wParam, intptr_t lParam);

// Installs a keyboard hook (only WH_KEYBOARD_LL is known); returns its handle, 0 on
// failure. The module and thread arguments are accepted and ignored.
int32_t SetWindowsHookExA(int32_t idHook, HOOKPROC proc, void* module, int32_t threadId);
// Hands the event to the next procedure of the chain; 0 (let it through) past the last.
int32_t CallNextHookEx(int32_t hhk, int32_t nCode, uintptr_t wParam, intptr_t lParam);
// Removes a hook; false when the handle is not an installed hook.
bool UnhookWindowsHookEx(int32_t hhk);
// The high bit (0x8000) is set while the key is held, as the program's key events tell.
int16_t GetKeyState(int32_t vk);

// The virtual-key code of a Qt key; 0 for keys that have none.
uint32_t VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace vb
