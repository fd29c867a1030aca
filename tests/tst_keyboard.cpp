// The keyboard lock: which keys still reach the program's windows once it is installed,
// the records its procedure is handed, and installing and removing it.

#include "KeyRig.h"
#include "KeyboardHook.h"
#include "mMain_Keyboard.h"

#include <QtTest>

using namespace vb;
using testing::sendKeys;

namespace {

// A procedure under the lock: notes what the lock lets through and lets it go on.
struct Seen {
    uint32_t vk, flags;
    uintptr_t message;
};
QVector<Seen> seen;
int32_t NoteKeys(int32_t nCode, uintptr_t wParam, intptr_t lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    seen.push_back({key->vkCode, key->flags, wParam});
    return CallNextHookEx(0, nCode, wParam, lParam);
}

// The lock, removed again whatever the test's outcome.
struct Installed {
    int32_t handle;
    explicit Installed(HOOKPROC proc = KeyboardHookProc)
        : handle(SetWindowsHookExA(WH_KEYBOARD_LL, proc, nullptr, 0)) {}
    ~Installed() { UnhookWindowsHookEx(handle); }
};

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init() { seen.clear(); }

    void whatReachesTheWindow_data() {
        QTest::addColumn<QString>("strokes");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Shift") << "+Shift -Shift@S"
                               << "";
        QTest::newRow("Ctrl") << "+Ctrl -Ctrl@C"
                              << "";
        QTest::newRow("Alt") << "+Alt -Alt@A"
                             << "";
        QTest::newRow("left Windows key") << "+SuperL -SuperL"
                                          << "";
        QTest::newRow("Windows key as Meta") << "+Meta -Meta"
                                             << "";
        QTest::newRow("right Windows key") << "+SuperR -SuperR"
                                           << "";
        QTest::newRow("Apps key") << "+Menu -Menu"
                                  << "";
        QTest::newRow("letter alone") << "+A -A"
                                      << "+A -A";
        QTest::newRow("letter with Ctrl held") << "+Ctrl +A@C -A@C -Ctrl@C"
                                               << "";
        QTest::newRow("Ctrl let go before the letter") << "+Ctrl +A@C -Ctrl@C -A"
                                                       << "";
        QTest::newRow("Ctrl held before the program saw it") << "+A@C -A@C"
                                                             << "";
        QTest::newRow("letter with Shift") << "+Shift +A@S -A@S -Shift@S"
                                           << "+A -A";
        QTest::newRow("Alt+F4") << "+Alt +F4@A -F4@A -Alt@A"
                                << "";
        QTest::newRow("Alt+Tab") << "+Alt +Tab@A -Tab@A -Alt@A"
                                 << "";
        QTest::newRow("F4 after Alt was let go") << "+Alt -Alt@A +F4 -F4"
                                                 << "+F4 -F4";
        QTest::newRow("plain keys, F10 included")
            << "+Return -Return +Escape -Escape +F10 -F10 +Left -Left +Space -Space +1 -1"
            << "+Return -Return +Escape -Escape +F10 -F10 +Left -Left +Space -Space +1 -1";
        QTest::newRow("held letter repeats") << "+A -A* +A* -A"
                                             << "+A -A +A -A";
        QTest::newRow("held letter with Ctrl repeats") << "+Ctrl +A@C -A@C* +A@C* -A@C -Ctrl@C"
                                                       << "";
        QTest::newRow("held letter goes on once Ctrl is let go") << "+Ctrl +A@C -Ctrl@C -A* +A* -A"
                                                                 << "+A -A";
        // The window saw the letter go down, so it must see it come up again.
        QTest::newRow("Ctrl pressed while a letter repeats")
            << "+A -A* +A* +Ctrl -A@C* +A@C* -A@C -Ctrl@C"
            << "+A -A +A -A";
    }
    void whatReachesTheWindow() {
        QFETCH(QString, strokes);
        QFETCH(QString, reached);
        testing::KeyRecorder window;
        // Without the lock every stroke arrives.
        sendKeys(window.windowHandle(), strokes);
        QCOMPARE(window.got.size(), strokes.count(' ') + 1);
        window.got.clear();

        Installed lock;
        QVERIFY(lock.handle != 0);
        sendKeys(window.windowHandle(), strokes);
        QCOMPARE(window.got.join(' '), reached);
    }

    // The records the procedures are handed: the messages, the flags, and key codes that
    // the lock's own key list does not already cover.
    void recordsOfTheKeys_data() {
        QTest::addColumn<QString>("stroke");
        QTest::addColumn<uint>("vk");
        QTest::addColumn<uint>("message");
        QTest::addColumn<uint>("flags");
        QTest::newRow("letter down") << "+A" << 0x41u << 0x100u << 0u;
        QTest::newRow("letter up") << "-A" << 0x41u << 0x101u << 0x80u;
        QTest::newRow("F4 with Alt down") << "+F4@A" << 0x73u << 0x104u << 0x20u;
        QTest::newRow("F4 with Alt up") << "-F4@A" << 0x73u << 0x105u << 0xA0u;
        QTest::newRow("F10 alone is a system key") << "+F10" << 0x79u << 0x104u << 0u;
        QTest::newRow("Alt") << "+Alt" << 0x12u << 0x104u << 0x20u;
        QTest::newRow("keypad 5") << "+5@K" << 0x65u << 0x100u << 0u;
        QTest::newRow("shifted 1") << "+Exclam@S" << 0x31u << 0x100u << 0u;
    }
    void recordsOfTheKeys() {
        QFETCH(QString, stroke);
        QFETCH(uint, vk);
        QFETCH(uint, message);
        QFETCH(uint, flags);
        testing::KeyRecorder window;
        Installed noter(NoteKeys);
        sendKeys(window.windowHandle(), stroke);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].vk, vk);
        QCOMPARE(uint(seen[0].message), message);
        QCOMPARE(seen[0].flags, flags);
    }

    void theLockPassesTheRestDownTheChain() {
        testing::KeyRecorder window;
        Installed noter(NoteKeys);
        Installed lock; // the newest hook is called first
        sendKeys(window.windowHandle(), "+Ctrl +A@C -A@C -Ctrl@C +B -B +Alt +F4@A");
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].vk, 0x42u);
        QCOMPARE(uint(seen[0].message), uint(WM_KEYDOWN));
        QCOMPARE(seen[1].vk, 0x42u);
        QCOMPARE(uint(seen[1].message), uint(WM_KEYUP));
        QCOMPARE(window.got.join(' '), QString("+B -B"));
    }

    // Called as the platform would. Other hook codes and messages go on before the record
    // is read: they come with a null address here, which a copy would not survive.
    void theProcedureItself_data() {
        QTest::addColumn<int>("nCode");
        QTest::addColumn<uint>("message");
        QTest::addColumn<uint>("vk");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<bool>("readsRecord");
        QTest::addColumn<int>("result");
        QTest::newRow("Ctrl down") << 0 << 0x100u << 0x11u << 0u << true << -1;
        QTest::newRow("Shift up") << 0 << 0x101u << 0x10u << 0x80u << true << -1;
        QTest::newRow("Apps down as a system key") << 0 << 0x104u << 0x5Du << 0x20u << true << -1;
        QTest::newRow("letter with the Alt flag") << 0 << 0x105u << 0x41u << 0xA0u << true << -1;
        QTest::newRow("letter") << 0 << 0x100u << 0x41u << 0u << true << 0;
        QTest::newRow("hook code 3") << 3 << 0x100u << 0x11u << 0u << false << 0;
        QTest::newRow("hook code -1") << -1 << 0x100u << 0x11u << 0u << false << 0;
        QTest::newRow("not a key message") << 0 << 0x102u << 0x11u << 0u << false << 0;
    }
    void theProcedureItself() {
        QFETCH(int, nCode);
        QFETCH(uint, message);
        QFETCH(uint, vk);
        QFETCH(uint, flags);
        QFETCH(bool, readsRecord);
        QFETCH(int, result);
        KBDLLHOOKSTRUCT record;
        record.vkCode = vk;
        record.flags = flags;
        const intptr_t address = readsRecord ? reinterpret_cast<intptr_t>(&record) : 0;
        QCOMPARE(KeyboardHookProc(nCode, message, address), result);
    }

    void failedInstallationLeavesNoLock() {
        testing::KeyRecorder window;
        QCOMPARE(SetWindowsHookExA(2, KeyboardHookProc, nullptr, 0), 0); // not low-level
        QCOMPARE(SetWindowsHookExA(WH_KEYBOARD_LL, nullptr, nullptr, 0), 0);
        QVERIFY(!UnhookWindowsHookEx(0));
        sendKeys(window.windowHandle(), "+Ctrl -Ctrl@C");
        QCOMPARE(window.got.join(' '), QString("+Ctrl -Ctrl"));
    }

    void removingTheLockLetsKeysThrough() {
        testing::KeyRecorder window;
        const int32_t handle = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, nullptr, 0);
        QVERIFY(handle != 0);
        // Ctrl goes down while locked; its release after the removal still arrives.
        sendKeys(window.windowHandle(), "+Ctrl +A@C");
        QVERIFY(UnhookWindowsHookEx(handle));
        QVERIFY(!UnhookWindowsHookEx(handle));
        sendKeys(window.windowHandle(), "-A@C -Ctrl@C +Alt -Alt@A");
        QCOMPARE(window.got.join(' '), QString("-A -Ctrl +Alt -Alt"));
    }

    void keyStateFollowsTheKeys() {
        testing::KeyRecorder window;
        Installed noter(NoteKeys);
        sendKeys(window.windowHandle(), "+Ctrl");
        QVERIFY(GetKeyState(VK_CONTROL) & 0x8000);
        sendKeys(window.windowHandle(), "-Ctrl@C");
        QVERIFY(!(GetKeyState(VK_CONTROL) & 0x8000));
        // A key event that carries Ctrl counts, even when Ctrl went down elsewhere.
        sendKeys(window.windowHandle(), "+B@C");
        QVERIFY(GetKeyState(VK_CONTROL) & 0x8000);
        QVERIFY(GetKeyState(0x42) & 0x8000);
        sendKeys(window.windowHandle(), "-B");
        QVERIFY(!(GetKeyState(VK_CONTROL) & 0x8000));
        QCOMPARE(GetKeyState(0x42), int16_t(0));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
