#include "ClickBurst.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QStyleHints>

#include <cmath>

namespace vb {

namespace {

// Looks at presses as the window system hands them to a window: once per click, before
// any control sees it, and also the press that the toolkit turns into a double click and
// never delivers to a control as a press.
class BurstWatch : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* receiver, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && receiver->isWindowType())
            record(*static_cast<QMouseEvent*>(e));
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
    void record(const QMouseEvent& press) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        const quint64 interval = quint64(std::max(0, hints->mouseDoubleClickInterval()));
        const double distance = hints->mouseDoubleClickDistance();
        const QPointF moved = press.globalPosition() - place_;
        continues_ = seen_ && press.button() == button_ && press.timestamp() >= time_ &&
                     press.timestamp() - time_ < interval && std::abs(moved.x()) <= distance &&
                     std::abs(moved.y()) <= distance;
        if (!continues_) {
            claimed_ = false;
            owner_ = nullptr;
        }
        seen_ = true;
        time_ = press.timestamp();
        place_ = press.globalPosition();
        button_ = press.button();
    }

    // The control's event is the window's last press (a double click is its second press).
    bool isLast(const QMouseEvent& press) const {
        return press.timestamp() == time_ && press.button() == button_ &&
               press.globalPosition() == place_;
    }

    bool seen_ = false;
    quint64 time_ = 0;
    QPointF place_;
    Qt::MouseButton button_ = Qt::NoButton;
    bool continues_ = false;
    bool claimed_ = false;
    QPointer<QObject> owner_;
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
