#pragma once
// A window timer. It never fires faster than the clock tick of 15.625 ms (64 a second):
// code that counts ticks to measure time relies on that rate.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace vb {

class Timer : public QObject {
    Q_OBJECT
public:
    static constexpr double TickMs = 15.625;

    explicit Timer(QObject* parent = nullptr, int32_t intervalMs = 0, bool enabled = false);

    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    int32_t Interval() const { return interval_; }
    void setInterval(int32_t ms);

    // Milliseconds between two firings: the interval, at least one clock tick.
    double period() const;

signals:
    void Tick();

private:
    void schedule();
    void fire();

    QTimer timer_;
    QElapsedTimer clock_;
    int64_t fired_ = 0;
    int32_t interval_ = 0;
    bool enabled_ = false;
};

} // namespace vb
