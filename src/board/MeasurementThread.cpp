#include "board/MeasurementThread.h"

#include "board/BoardSetup.h"
#include "board/BoardWorker.h"

#include <QThread>

MeasurementThread::MeasurementThread(Clock& clock, QObject* parent)
    : QObject(parent), thread_(new QThread(this)), worker_(std::make_unique<BoardWorker>(clock))
{
    qRegisterMetaType<BoardReading>();
    thread_->setObjectName(QStringLiteral("Mesure"));
    worker_->moveToThread(thread_);
    // Queued: delivered on this object's thread, and never once the thread has been ended.
    connect(
        worker_.get(), &BoardWorker::Measured, this,
        [this](const BoardReading& reading) {
            if (!ended_)
                emit Measured(reading);
        },
        Qt::QueuedConnection);
    // The serial port goes on the thread it lives on, as that thread ends.
    BoardWorker* worker = worker_.get();
    connect(thread_, &QThread::finished, worker, [worker] { worker->Release(); }, Qt::DirectConnection);
    thread_->start();
}

MeasurementThread::~MeasurementThread()
{
    End();
}

QString MeasurementThread::Open(BoardSetup& setup)
{
    if (ended_)
        return QStringLiteral("La carte d'acquisition est inaccessible.");
    QString refusal;
    BoardWorker* worker = worker_.get();
    QMetaObject::invokeMethod(
        worker, [worker, &setup, &refusal] { refusal = worker->Open(setup); }, Qt::BlockingQueuedConnection);
    return refusal;
}

std::uint64_t MeasurementThread::Request(std::uint32_t count, double frequency)
{
    if (ended_)
        return 0;
    const std::uint64_t tag = ++lastTag_;
    BoardWorker* worker = worker_.get();
    QMetaObject::invokeMethod(
        worker, [worker, tag, count, frequency] { worker->Measure(tag, count, frequency); }, Qt::QueuedConnection);
    return tag;
}

void MeasurementThread::End()
{
    if (ended_)
        return;
    ended_ = true;
    // The worker skips what is still queued; the loop ends after the measurement under way.
    thread_->requestInterruption();
    thread_->quit();
    thread_->wait();
    // The thread has ended: nothing runs on the worker any more, so it can go from here.
    worker_.reset();
}
