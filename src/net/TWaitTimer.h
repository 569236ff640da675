#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// The time limit of the socket link's waits: one interval timer that runs only while its
// interval is not 0, it is enabled and OnTimer is assigned. It fires on the thread it lives
// on, through that thread's event loop.
class TWaitTimer : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TWaitTimer(QObject* owner = nullptr);

    bool Enabled() const { return enabled_; }
    // Each change of Enabled, Interval or OnTimer restarts the timer when all three allow it;
    // a timer that cannot start (no event loop on this thread, interval too long) throws
    // std::runtime_error "Aucun timer".
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    void SetOnTimer(TNotifyEvent onTimer);
    bool Running() const { return timer_->isActive(); }

private:
    void UpdateTimer();

    QTimer* timer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
};
