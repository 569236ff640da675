#pragma once

#include "board/BoardReading.h"

#include <QObject>

#include <cstdint>
#include <memory>

class BoardWorker;
class Clock;
class QThread;
struct BoardSetup;

// The thread the board is read on, so that the window's thread never waits on the hardware:
// the window asks for a measurement and goes on answering; the reading comes back as Measured,
// on the window's thread, tagged with the request it answers. Owned by the window, which ends
// it (End) before the bench that the emulated board reads goes.
class MeasurementThread : public QObject {
    Q_OBJECT

public:
    // Starts the thread. The clock must outlive this object.
    explicit MeasurementThread(Clock& clock, QObject* parent = nullptr);
    // Ends the thread (End).
    ~MeasurementThread() override;

    // Hands the board of `setup` to the thread, which opens the real bus if it is asked for
    // and builds the driver component there. Blocks the caller for the opening only (a few
    // system calls), since what the window shows at start depends on it. Returns the French
    // reason of a refusal, `setup` then holding no bus, or an empty text.
    QString Open(BoardSetup& setup);

    // Asks for one measurement of `count` samples at `frequency`; returns the tag its reading
    // will carry. Requests are served one after the other. 0, and nothing measured, once ended.
    std::uint64_t Request(std::uint32_t count, double frequency);

    // Ends the thread, waiting at most for the measurement under way; the requests not yet
    // served are dropped and no reading is delivered afterwards. The bus and the driver
    // component are released after the thread has ended. Calling it again does nothing.
    void End();
    bool Ended() const { return ended_; }

    QThread* Thread() const { return thread_; }

signals:
    void Measured(const BoardReading& reading);

private:
    QThread* thread_;
    std::unique_ptr<BoardWorker> worker_;
    std::uint64_t lastTag_ = 0;
    bool ended_ = false;
};
