#pragma once
// Real key events for the keyboard lock's tests: a window that records the keys that
// reach it, and key strokes sent through the window system as the platform sends them.
//
// Strokes are written "+Ctrl +A@C -A@C -Ctrl@C": + press, - release, the key's name,
// after @ the modifiers held (S Shift, C Ctrl, A Alt, K keypad), a trailing * for a
// repeat of a held key.

#include <QKeyEvent>
#include <QKeySequence>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace testing {

inline int keyByName(const QString& name) {
    static const QHash<QString, int> named = {
        {"Shift", Qt::Key_Shift},    {"Ctrl", Qt::Key_Control},   {"Alt", Qt::Key_Alt},
        {"SuperL", Qt::Key_Super_L}, {"SuperR", Qt::Key_Super_R}, {"Meta", Qt::Key_Meta},
        {"Menu", Qt::Key_Menu},      {"Return", Qt::Key_Return},  {"Escape", Qt::Key_Escape},
        {"Tab", Qt::Key_Tab},        {"Space", Qt::Key_Space},    {"Left", Qt::Key_Left},
        {"Exclam", Qt::Key_Exclam},
    };
    if (named.contains(name)) return named.value(name);
    const QKeySequence seq = QKeySequence::fromString(name);
    return seq.isEmpty() ? Qt::Key_unknown : seq[0].key();
}

inline QString keyName(int key) {
    static const QHash<int, QString> names = {
        {Qt::Key_Shift, "Shift"},    {Qt::Key_Control, "Ctrl"},   {Qt::Key_Alt, "Alt"},
        {Qt::Key_Super_L, "SuperL"}, {Qt::Key_Super_R, "SuperR"}, {Qt::Key_Meta, "Meta"},
        {Qt::Key_Menu, "Menu"},      {Qt::Key_Escape, "Escape"},  {Qt::Key_Exclam, "Exclam"},
    };
    return names.value(key, QKeySequence(key).toString());
}

// A window that notes every key press ("+A") and release ("-A") that reaches it.
class KeyRecorder : public QWidget {
public:
    QStringList got;

    KeyRecorder() {
        setFocusPolicy(Qt::StrongFocus);
        resize(200, 100);
        show();
        setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override { got << "+" + keyName(e->key()); }
    void keyReleaseEvent(QKeyEvent* e) override { got << "-" + keyName(e->key()); }
};

// Sends the strokes to the window through the window system, one after the other.
inline void sendKeys(QWindow* window, const QString& strokes) {
    for (const QString& stroke : strokes.split(' ', Qt::SkipEmptyParts)) {
        const bool press = stroke.startsWith('+');
        QString rest = stroke.mid(1);
        const bool repeat = rest.endsWith('*');
        if (repeat) rest.chop(1);
        const QString name = rest.section('@', 0, 0);
        const QString held = rest.section('@', 1);
        Qt::KeyboardModifiers mods;
        if (held.contains('S')) mods |= Qt::ShiftModifier;
        if (held.contains('C')) mods |= Qt::ControlModifier;
        if (held.contains('A')) mods |= Qt::AltModifier;
        if (held.contains('K')) mods |= Qt::KeypadModifier;
        const int key = keyByName(name);
        QVERIFY2(key != Qt::Key_unknown, qPrintable("no key named " + name));
        qt_handleKeyEvent(window, press ? QEvent::KeyPress : QEvent::KeyRelease, key, mods,
                          QString(), repeat);
    }
    QCoreApplication::processEvents();
}

} // namespace testing
