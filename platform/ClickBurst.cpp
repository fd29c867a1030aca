#include "ClickBurst.h"

#include "Sound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vb {

namespace {

// The longest a window stays open after the click that closes it (its sound played to the
// end): the presses made meanwhile reach the program after the close, and belong to it.
constexpr qint64 LongestHoldMs = SoundWaitLimitMs;
// How long the best pairing of the window system's clock with ours is trusted before a
// fresh one replaces it (that clock may restart: X's wraps after 49 days).
constexpr qint64 ClockTrustMs = 5000;

// Looks at presses as the window system hands them to a window: once per click, before
// any control sees it, and also the press that the toolkit turns into a double click and
// never delivers to a control as a press. Watches the program's windows closing too: the
// clicks aimed at a window go on landing where it lay after it has gone.
class BurstWatch : public QObject {
public:
    explicit BurstWatch(QObject* parent) : QObject(parent) { clock_.start(); }

    bool eventFilter(QObject* receiver, QEvent* e) override {
        if (e->isInputEvent() && receiver->isWindowType())
            noteClock(static_cast<QInputEvent*>(e)->timestamp());
        if (e->type() == QEvent::MouseButtonPress && receiver->isWindowType())
            record(*static_cast<QMouseEvent*>(e));
        else if (e->type() == QEvent::Hide && !e->spontaneous())
            if (auto* w = qobject_cast<QWidget*>(receiver);
                w && w->isWindow() && w->windowType() != Qt::ToolTip)
                closed(w);
        return false;
    }

    bool countsFor(const QObject* control, const QMouseEvent& press) {
        if (!seen_ || !isLast(press)) return true;
        if (!continues_) {
            // The burst's first press: it counts wherever it goes, and the first control
            // to take it owns the burst.
            if (!claimed_) {
                owner_ = const_cast<QObject*>(control);
                claimed_ = true;
            }
            return true;
        }
        return claimed_ && owner_ && owner_ == control;
    }

private:
    // Pairs the window system's clock, which stamps the events, with ours: the event
    // delivered soonest after it was made tells best what the time is there now.
    void noteClock(quint64 stamp) {
        if (stamp == 0) return; // made up, not stamped
        const qint64 now = clock_.elapsed();
        const qint64 lag = now - qint64(stamp);
        if (!clockKnown_ || lag < lag_ || now - lagSince_ > ClockTrustMs) {
            lag_ = lag;
            lagSince_ = now;
            clockKnown_ = true;
        }
    }

    // The burst that closed a window goes on where it lay, and no control there owns it;
    // it may have begun where the program never saw it (the window manager's frame), and
    // its presses made while a sound held the window open are read only after the close.
    void closed(const QWidget* window) {
        if (!clockKnown_) return;
        const int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
        // With the window manager's frame: its close button takes a burst's first click.
        // Windows can close one after another (a message, then the chooser under it): each
        // keeps its place. The oldest of those remembered goes first.
        Closed& slot =
            *std::min_element(closed_.begin(), closed_.end(),
                              [](const Closed& a, const Closed& b) { return a.at < b.at; });
        slot.area = window->frameGeometry().adjusted(-distance, -distance, distance, distance);
        slot.at = clock_.elapsed() - lag_;
    }

    void record(const QMouseEvent& press) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        const qint64 interval = std::max(0, hints->mouseDoubleClickInterval());
        const double distance = hints->mouseDoubleClickDistance();
        const QPointF moved = press.globalPosition() - place_;
        const qint64 at = qint64(press.timestamp());
        const bool afterClose = std::any_of(closed_.begin(), closed_.end(), [&](const Closed& c) {
            return c.area.contains(press.globalPosition().toPoint()) && at < c.at + interval &&
                   at + LongestHoldMs >= c.at;
        });
        continues_ = afterClose ||
                     (seen_ && press.button() == button_ && at >= time_ && at - time_ < interval &&
                      std::abs(moved.x()) <= distance && std::abs(moved.y()) <= distance);
        if (!continues_ || afterClose) {
            claimed_ = afterClose;
            owner_ = nullptr;
        }
        seen_ = true;
        time_ = at;
        place_ = press.globalPosition();
        button_ = press.button();
    }

    // The control's event is the window's last press (a double click is its second press).
    bool isLast(const QMouseEvent& press) const {
        return qint64(press.timestamp()) == time_ && press.button() == button_ &&
               press.globalPosition() == place_;
    }

    bool seen_ = false;
    qint64 time_ = 0;
    QPointF place_;
    Qt::MouseButton button_ = Qt::NoButton;
    bool continues_ = false;
    bool claimed_ = false;
    QPointer<QObject> owner_;
    // The windows closed last: where each lay, and when, at the window system's time.
    struct Closed {
        QRect area; // empty before any
        qint64 at = std::numeric_limits<qint64>::min();
    };
    std::array<Closed, 4> closed_;
    // Our clock, and how far the window system's lags behind it.
    QElapsedTimer clock_;
    bool clockKnown_ = false;
    qint64 lag_ = 0;
    qint64 lagSince_ = 0;
};

QPointer<BurstWatch>& watch() {
    static QPointer<BurstWatch> w;
    return w;
}

} // namespace

void WatchClickBursts() {
    if (watch() || !QCoreApplication::instance()) return;
    watch() = new BurstWatch(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watch());
}

bool PressCountsFor(const QObject* control, const QMouseEvent& press) {
    return !watch() || watch()->countsFor(control, press);
}

} // namespace vb
