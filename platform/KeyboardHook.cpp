#include "KeyboardHook.h"

#include <QApplication>
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

uint32_t VirtualKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + uint32_t(key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk:
            return 0x6A;
        case Qt::Key_Plus:
            return 0x6B;
        case Qt::Key_Minus:
            return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 0x6E;
        case Qt::Key_Slash:
            return 0x6F;
        default:
            break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + uint32_t(key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x30 + uint32_t(key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + uint32_t(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Clear:
        return 0x0C;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VK_MENU;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Select:
        return 0x29;
    case Qt::Key_Printer:
        return 0x2A;
    case Qt::Key_Execute:
        return 0x2B;
    case Qt::Key_Print:
    case Qt::Key_SysReq:
        return 0x2C;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    case Qt::Key_Help:
        return 0x2F;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return VK_LWIN;
    case Qt::Key_Super_R:
        return VK_RWIN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_Sleep:
        return 0x5F;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    case Qt::Key_VolumeMute:
        return 0xAD;
    case Qt::Key_VolumeDown:
        return 0xAE;
    case Qt::Key_VolumeUp:
        return 0xAF;
    case Qt::Key_MediaNext:
        return 0xB0;
    case Qt::Key_MediaPrevious:
        return 0xB1;
    case Qt::Key_MediaStop:
        return 0xB2;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
        return 0xB3;
    // Punctuation and the shifted digits by the keys that carry them on a US keyboard.
    case Qt::Key_ParenRight:
        return 0x30;
    case Qt::Key_Exclam:
        return 0x31;
    case Qt::Key_At:
        return 0x32;
    case Qt::Key_NumberSign:
        return 0x33;
    case Qt::Key_Dollar:
        return 0x34;
    case Qt::Key_Percent:
        return 0x35;
    case Qt::Key_AsciiCircum:
        return 0x36;
    case Qt::Key_Ampersand:
        return 0x37;
    case Qt::Key_Asterisk:
        return 0x38;
    case Qt::Key_ParenLeft:
        return 0x39;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 0xBC;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 0xDE;
    default:
        return 0;
    }
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
