#pragma once

#include <QThread>

#include <memory>

class TConnectionServer;

// The thread of one accepted connection. It owns the connection's component, runs the
// exchange (Serve) on it and releases it when the exchange is over; the listening server
// joins the thread afterwards.
class TServeThread : public QThread {
    Q_OBJECT

public:
    explicit TServeThread(std::unique_ptr<TConnectionServer> component);
    ~TServeThread() override;

    // The connection's component until the exchange has ended, null afterwards.
    TConnectionServer* Component() const { return component_.get(); }

protected:
    void run() override;

private:
    std::unique_ptr<TConnectionServer> component_;
};
