#include "TServeThread.h"

#include "TConnectionServer.h"

TServeThread::TServeThread(std::unique_ptr<TConnectionServer> component)
    : component_(std::move(component))
{
}

TServeThread::~TServeThread()
{
    // Never released while running; the listening server joins it first.
    wait();
}

void TServeThread::run()
{
    TConnectionServer* const component = component_.get();
    try {
        component->BeginExchange();
        component->Serve();
    } catch (...) {
        // A failed exchange ends silently; its connection is released below like any other.
    }
    std::lock_guard lock(TConnectionServer::ProcessLock());
    component->Server()->ReleaseClient(component);
    // The component lives on this thread: its socket is closed here.
    component_.reset();
}
