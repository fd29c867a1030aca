#include "KeyboardHook.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace vb {

namespace {

// Keys whose code no range gives; punctuation and the shifted digits go by the keys that
// carry them on a US keyboard.
const QHash<int, uint32_t>& namedKeys() {
    // clang-format off
    static const QHash<int, uint32_t> keys = {
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09},
        {Qt::Key_Clear, 0x0C}, {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},
        {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
        {Qt::Key_AltGr, VK_MENU}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14},
        {Qt::Key_Escape, 0x1B}, {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21},
        {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23}, {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25},
        {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27}, {Qt::Key_Down, 0x28}, {Qt::Key_Select, 0x29},
        {Qt::Key_Printer, 0x2A}, {Qt::Key_Execute, 0x2B}, {Qt::Key_Print, 0x2C},
        {Qt::Key_SysReq, 0x2C}, {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
        {Qt::Key_Help, 0x2F}, {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Super_L, VK_LWIN},
        {Qt::Key_Super_R, VK_RWIN}, {Qt::Key_Menu, VK_APPS}, {Qt::Key_Sleep, 0x5F},
        {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91}, {Qt::Key_VolumeMute, 0xAD},
        {Qt::Key_VolumeDown, 0xAE}, {Qt::Key_VolumeUp, 0xAF}, {Qt::Key_MediaNext, 0xB0},
        {Qt::Key_MediaPrevious, 0xB1}, {Qt::Key_MediaStop, 0xB2}, {Qt::Key_MediaPlay, 0xB3},
        {Qt::Key_MediaTogglePlayPause, 0xB3}, {Qt::Key_ParenRight, 0x30}, {Qt::Key_Exclam, 0x31},
        {Qt::Key_At, 0x32}, {Qt::Key_NumberSign, 0x33}, {Qt::Key_Dollar, 0x34},
        {Qt::Key_Percent, 0x35}, {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37},
        {Qt::Key_Asterisk, 0x38}, {Qt::Key_ParenLeft, 0x39}, {Qt::Key_Semicolon, 0xBA},
        {Qt::Key_Colon, 0xBA}, {Qt::Key_Equal, 0xBB}, {Qt::Key_Plus, 0xBB}, {Qt::Key_Comma, 0xBC},
        {Qt::Key_Less, 0xBC}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Underscore, 0xBD},
        {Qt::Key_Period, 0xBE}, {Qt::Key_Greater, 0xBE}, {Qt::Key_Slash, 0xBF},
        {Qt::Key_Question, 0xBF}, {Qt::Key_QuoteLeft, 0xC0}, {Qt::Key_AsciiTilde, 0xC0},
        {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_Backslash, 0xDC},
        {Qt::Key_Bar, 0xDC}, {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},
        {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},
    };
    // clang-format on
    return keys;
}

const QHash<int, uint32_t>& keypadKeys() {
    // clang-format off
    static const QHash<int, uint32_t> keys = {
        {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Minus, 0x6D},
        {Qt::Key_Period, 0x6E}, {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
    };
    // clang-format on
    return keys;
}

} // namespace

uint32_t VirtualKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + uint32_t(key - Qt::Key_0);
        if (keypadKeys().contains(key)) return keypadKeys().value(key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + uint32_t(key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x30 + uint32_t(key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + uint32_t(key - Qt::Key_F1);
    return namedKeys().value(key, 0);
}

namespace {

struct Hook {
    int32_t id;
    HOOKPROC proc;
};

// One event on its way down the chain: CallNextHookEx moves it to the next procedure.
struct ChainCall {
    std::vector<Hook> chain;
    size_t next = 0;
};

class KeyboardLock : public QObject {
public:
    std::vector<Hook> hooks; // newest first
    ChainCall* current = nullptr;
    std::array<bool, 256> down{};
    int32_t lastId = 0;

    KeyboardLock() {
        grabTimer_.setInterval(100);
        grabTimer_.callOnTimeout(this, &KeyboardLock::grab);
    }

    void start() {
        qApp->installEventFilter(this);
        grab();
    }

    void stop() {
        qApp->removeEventFilter(this);
        grabTimer_.stop();
        swallowed_.clear();
        if (grabbed_) {
            grabbed_ = nullptr;
            if (xcb_connection_t* c = connection()) {
                xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
                xcb_flush(c);
            }
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // Each key event reaches its window first and is then handed on to widgets:
            // the window is where it is seen once.
            if (watched->isWindowType()) return filterKey(*static_cast<QKeyEvent*>(e));
            break;
        case QEvent::Hide:
            // Qt gives up any keyboard grab when a popup closes (a text box's menu), and
            // the server ends ours when its window goes.
            if (watched->isWidgetType()) {
                auto* w = static_cast<QWidget*>(watched);
                if (w == grabbed_.data() || w->windowType() == Qt::Popup) {
                    grabbed_ = nullptr;
                    if (connection()) grabTimer_.start();
                }
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool filterKey(const QKeyEvent& k) {
        const bool press = k.type() == QEvent::KeyPress;
        const Qt::KeyboardModifiers mods = k.modifiers();
        const uint32_t vk = VirtualKey(k.key(), mods);
        // A physical key is known by its scan code where the platform gives one: the
        // release of Shift+1 may come as "1" after Shift went up.
        const quint64 id =
            k.nativeScanCode() ? k.nativeScanCode() : (quint64(1) << 32) | uint(k.key());

        // The modifiers the event carries are the truth, whatever we saw of their keys.
        const std::pair<uint32_t, Qt::KeyboardModifier> modifierKeys[] = {
            {VK_SHIFT, Qt::ShiftModifier},
            {VK_CONTROL, Qt::ControlModifier},
            {VK_MENU, Qt::AltModifier}};
        for (const auto& [key, modifier] : modifierKeys)
            if (vk != key) down[key] = mods.testFlag(modifier);

        // The platform repeats a held key with more presses, never with releases.
        if (!press && k.isAutoRepeat()) return swallowed_.contains(id);

        KBDLLHOOKSTRUCT record;
        record.vkCode = vk;
        // X key codes are the PC scan codes plus 8.
        record.scanCode = k.nativeScanCode() > 8 ? k.nativeScanCode() - 8 : 0;
        const bool alt = mods.testFlag(Qt::AltModifier) || (press && vk == VK_MENU);
        record.flags = (alt ? LLKHF_ALTDOWN : 0) | (press ? 0 : LLKHF_UP);
        record.time = uint32_t(k.timestamp());
        const bool system = alt || vk == VK_F10;
        const uintptr_t message =
            press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);

        ChainCall call{hooks, 0};
        ChainCall* outer = std::exchange(current, &call);
        const bool dropped =
            CallNextHookEx(0, HC_ACTION, message, reinterpret_cast<intptr_t>(&record)) == -1;
        current = outer;

        if (vk < down.size()) down[vk] = press;
        if (press) {
            if (dropped)
                swallowed_.insert(id);
            else
                swallowed_.remove(id);
            return dropped;
        }
        return swallowed_.remove(id) || dropped;
    }

    static xcb_connection_t* connection() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }

    // The colouring window covers the screen: the largest window shown is the one that
    // lives as long as the program.
    static QWidget* mainWindow() {
        QWidget* best = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
                continue;
            if (!best || w->width() * w->height() > best->width() * best->height()) best = w;
        }
        return best;
    }

    // Holds the keyboard for the main window, until the window can be held: it must be
    // viewable, and another program may hold the keyboard for a moment. Keys for the
    // program's own windows still go to them (owner events), so the password boxes of
    // modal windows keep working.
    void grab() {
        xcb_connection_t* c = connection();
        if (!c) return;
        QWidget* target = mainWindow();
        bool held = false;
        if (target) {
            const auto cookie =
                xcb_grab_keyboard(c, 1, xcb_window_t(target->winId()), XCB_CURRENT_TIME,
                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(c, cookie, nullptr);
            held = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
            std::free(reply);
        }
        if (held) {
            grabbed_ = target;
            grabTimer_.stop();
        } else {
            grabTimer_.start();
        }
    }

    QSet<quint64> swallowed_;
    QTimer grabTimer_;
    QPointer<QWidget> grabbed_;
};

KeyboardLock& lock() {
    static auto* l = new KeyboardLock;
    return *l;
}

} // namespace

int32_t SetWindowsHookExA(int32_t idHook, HOOKPROC proc, void* module, int32_t threadId) {
    if (idHook != WH_KEYBOARD_LL || !proc || !qApp) return 0;
    KeyboardLock& l = lock();
    const bool first = l.hooks.empty();
    l.hooks.insert(l.hooks.begin(), Hook{++l.lastId, proc});
    if (first) l.start();
    return l.lastId;
}

int32_t CallNextHookEx(int32_t hhk, int32_t nCode, uintptr_t wParam, intptr_t lParam) {
    ChainCall* call = lock().current;
    if (!call || call->next >= call->chain.size()) return 0;
    return call->chain[call->next++].proc(nCode, wParam, lParam);
}

bool UnhookWindowsHookEx(int32_t hhk) {
    KeyboardLock& l = lock();
    const auto it =
        std::find_if(l.hooks.begin(), l.hooks.end(), [hhk](const Hook& h) { return h.id == hhk; });
    if (hhk == 0 || it == l.hooks.end()) return false;
    l.hooks.erase(it);
    if (l.hooks.empty()) l.stop();
    return true;
}

int16_t GetKeyState(int32_t vk) {
    const auto& down = lock().down;
    return vk >= 0 && size_t(vk) < down.size() && down[size_t(vk)] ? int16_t(0x8000) : 0;
}

} // namespace vb
