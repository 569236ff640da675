// The socket link's waits, time limits and socket notifications.
#include "net/TSocketLink.h"

#include "net/ESocketError.h"
#include "net/NetLog.h"
#include "net/TWaitTimer.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <climits>

// ---- time limits and waits ----

void TSocketLink::TimerStart()
{
    Report(QStringLiteral("Timer activé"), 8);
    timedOut_ = false;
    timer_->SetInterval(static_cast<unsigned>(std::max(timeOut_, 0)));
    timer_->SetEnabled(true);
}

void TSocketLink::TimerStop()
{
    Report(QStringLiteral("Timer désactivé"), 8);
    timer_->SetEnabled(false);
}

void TSocketLink::TimerFired()
{
    Report(QStringLiteral("Timer déclenché"), 8);
    TimerStop();
    timedOutWait_ = waitKind_;
    timedOutIdle_ = false;
    timedOut_ = true;
    waitDone_ = true;
    Abort();
    WakeWait();
}

void TSocketLink::SetWaitLimits(QDeadlineTimer overall, int idleMs)
{
    overallLimit_ = overall;
    idleLimitMs_ = std::max(idleMs, 0);
    idleDeadline_ = idleLimitMs_ > 0 ? QDeadlineTimer(idleLimitMs_) : QDeadlineTimer(QDeadlineTimer::Forever);
}

void TSocketLink::ClearWaitLimits()
{
    SetWaitLimits(QDeadlineTimer(QDeadlineTimer::Forever), 0);
}

void TSocketLink::NoteReceived(std::int64_t count)
{
    receivedBytes_ += count;
    NoteProgress();
}

void TSocketLink::NoteProgress()
{
    if (idleLimitMs_ > 0)
        idleDeadline_.setRemainingTime(idleLimitMs_);
}

bool TSocketLink::WaitLimitPassed() const
{
    return overallLimit_.hasExpired() || (idleLimitMs_ > 0 && idleDeadline_.hasExpired());
}

void TSocketLink::WaitLimitReached()
{
    timedOutWait_ = waitKind_;
    timedOutIdle_ = !overallLimit_.hasExpired();
    timedOut_ = true;
    waitDone_ = true;
    Cancel();
}

void TSocketLink::WaitForEvent(unsigned interest, WaitKind kind)
{
    waitKind_ = kind;
    if (canceled_)
        return;
    if (WaitLimitPassed()) {
        WaitLimitReached();
        return;
    }
    const bool haveSocket = socket_ != SocketApi::kNoSocket;
    if ((interest & kReadable) && haveSocket)
        readNotifier_->setEnabled(true);
    if ((interest & kWritable) && haveSocket)
        writeNotifier_->setEnabled(true);
    qint64 remaining = overallLimit_.remainingTime();  // -1: no limit
    if (idleLimitMs_ > 0) {
        const qint64 idle = idleDeadline_.remainingTime();
        if (remaining < 0 || idle < remaining)
            remaining = idle;
    }
    if (remaining >= 0)
        limitTimer_->start(static_cast<int>(std::min<qint64>(remaining + 1, INT_MAX)));

    QEventLoop loop;
    QEventLoop* const outer = activeLoop_;
    activeLoop_ = &loop;
    ++waitDepth_;
    const int ended = loop.exec();
    --waitDepth_;
    activeLoop_ = outer;

    limitTimer_->stop();
    if (interest & kWritable)
        writeNotifier_->setEnabled(false);
    // The thread's event loop is being ended (the program quits): no loop will run again on
    // it, so the wait ends as cancelled instead of spinning.
    if (ended == -1 && !canceled_)
        Cancel();
    if (!canceled_ && WaitLimitPassed())
        WaitLimitReached();
}

void TSocketLink::WakeWait()
{
    if (activeLoop_)
        activeLoop_->quit();
}

void TSocketLink::Cancel()
{
    Report(QStringLiteral("Annulation"), 8);
    canceled_ = true;
    if (QThread::currentThread() == thread())
        WakeWait();
    else
        QMetaObject::invokeMethod(this, &TSocketLink::WakeWait, Qt::QueuedConnection);
}

void TSocketLink::Abort()
{
    Report(QStringLiteral("Abandonner"), 8);
    Cancel();
}

// ---- notifications ----

void TSocketLink::ReArmRead()
{
    if (connected_ && !listening_ && socket_ != SocketApi::kNoSocket)
        readNotifier_->setEnabled(true);
}

void TSocketLink::ReadNotified()
{
    // The notification is level-triggered: it stays off until the next read or wait, so that
    // bytes nobody reads yet do not keep the event loop busy.
    readNotifier_->setEnabled(false);
    if (listening_) {
        succeeded_ = true;
        connected_ = true;
        lastError_ = 0;
        if (secondChannel_) {
            waitDone_ = true;
            WakeWait();
            return;
        }
        try {
            if (acceptHook)
                acceptHook();
        } catch (...) {
            // A connection that cannot be taken is not served; the server goes on listening.
            qCWarning(lcNet).noquote() << QStringLiteral("Connexion entrante abandonnée : %1").arg(CaughtText());
        }
        if (!listening_)
            return;
        // Out of descriptors the pending connection stays queued; retrying at once would
        // spin, so the server pauses before it accepts again.
        if (lastError_ == SocketApi::kTooManyOpenFiles || lastError_ == SocketApi::kNoBufferSpace)
            QTimer::singleShot(100, this, [this] {
                if (listening_)
                    readNotifier_->setEnabled(true);
            });
        else
            readNotifier_->setEnabled(true);
        return;
    }
    if (waitDepth_ > 0) {
        WakeWait();
        return;
    }
    try {
        if (dataArrivalHook)
            dataArrivalHook();
    } catch (...) {
        // Failures of notification actions are dropped; the journal keeps them.
        qCWarning(lcNet).noquote() << QStringLiteral("Arrivée de données : échec ignoré (%1)").arg(CaughtText());
    }
    if (!connected_ || socket_ == SocketApi::kNoSocket)
        return;
    // A close is acted on when nothing is pending; with bytes pending the next read re-arms
    // this notification, and the close is acted on once they have been read.
    const std::int64_t got = SocketApi::Receive(socket_, transfer_.data(), 1, true);
    if (got > 0)
        return;
    if (got < 0 && SocketApi::LastError() == SocketApi::kWouldBlock) {
        readNotifier_->setEnabled(true);
        return;
    }
    if (!input_.isEmpty())
        return;
    try {
        CloseStep();
    } catch (...) {
        // Failures of notification actions are dropped; the journal keeps them.
        qCWarning(lcNet).noquote() << QStringLiteral("Fermeture par le correspondant : échec ignoré (%1)")
                                          .arg(CaughtText());
    }
}

void TSocketLink::WriteNotified()
{
    writeNotifier_->setEnabled(false);
    if (connecting_) {
        connecting_ = false;
        const int error = SocketApi::PendingError(socket_);
        succeeded_ = error == 0;
        if (error != 0) {
            lastError_ = error;
        } else {
            connected_ = true;
            try {
                if (OnConnect)
                    OnConnect(this);
            } catch (...) {
                // Failures of notification actions are dropped; the journal keeps them.
                qCWarning(lcNet).noquote() << QStringLiteral("Connexion établie : échec ignoré (%1)").arg(CaughtText());
            }
        }
    }
    WakeWait();
}

