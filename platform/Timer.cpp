#include "Timer.h"

#include <algorithm>
#include <cmath>

namespace vb {

Timer::Timer(QObject* parent, int32_t intervalMs, bool enabled) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Timer::fire);
    interval_ = intervalMs;
    setEnabled(enabled);
}

double Timer::period() const { return std::max<double>(interval_, TickMs); }

void Timer::setEnabled(bool on) {
    // Like the window timer it imitates, a timer with interval 0 never fires.
    enabled_ = on;
    timer_.stop();
    if (!enabled_ || interval_ <= 0) return;
    clock_.start();
    fired_ = 0;
    schedule();
}

void Timer::setInterval(int32_t ms) {
    interval_ = ms;
    if (enabled_) setEnabled(true);
}

void Timer::schedule() {
    // Ticks fall on a fixed grid from the start; ticks missed while busy are dropped.
    const double now = clock_.nsecsElapsed() / 1e6;
    const int64_t due = std::max<int64_t>(fired_ + 1, int64_t(std::floor(now / period())) + 1);
    fired_ = due;
    const double wait = due * period() - now;
    timer_.start(std::max(0, int(std::ceil(wait))));
}

void Timer::fire() {
    if (!enabled_) return;
    schedule();
    emit Tick();
}

} // namespace vb
