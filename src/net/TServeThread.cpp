#include "net/TServeThread.h"

#include "net/NetLog.h"
#include "net/TConnectionServer.h"

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
        // A failed exchange ends without a word to the peer; its connection is released below
        // like any other, and the journal says why.
        qCWarning(lcNet).noquote() << QStringLiteral("Echange avec %1 interrompu : %2")
                                          .arg(component->RemoteAddress().toString(), component->InterruptionText(CaughtText()));
    }
    std::lock_guard lock(TConnectionServer::ProcessLock());
    component->Server()->ReleaseClient(component);
    // The component lives on this thread: its socket is closed here.
    component_.reset();
}
