#include "net/TWaitTimer.h"

#include <climits>
#include <stdexcept>

TWaitTimer::TWaitTimer(QObject* owner) : QObject(owner), timer_(new QTimer(this))
{
    connect(timer_, &QTimer::timeout, this, [this] {
        if (onTimer_)
            onTimer_(this);
    });
}

void TWaitTimer::SetEnabled(bool enabled)
{
    if (enabled != enabled_) {
        enabled_ = enabled;
        UpdateTimer();
    }
}

void TWaitTimer::SetInterval(unsigned ms)
{
    if (ms != interval_) {
        interval_ = ms;
        UpdateTimer();
    }
}

void TWaitTimer::SetOnTimer(TNotifyEvent onTimer)
{
    onTimer_ = std::move(onTimer);
    UpdateTimer();
}

void TWaitTimer::UpdateTimer()
{
    timer_->stop();
    if (interval_ == 0 || !enabled_ || !onTimer_)
        return;
    if (interval_ <= static_cast<unsigned>(INT_MAX))
        timer_->start(static_cast<int>(interval_));
    if (!timer_->isActive())
        throw std::runtime_error("Aucun timer");
}
