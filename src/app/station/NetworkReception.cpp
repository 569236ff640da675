#include "station/NetworkReception.h"

#include "net/TMainMsgServer.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"

#include <QTimer>

NetworkReception::NetworkReception(TMainMsgServer& server, QObject* parent)
    : QObject(parent)
    , server_(server)
    , retry_(new QTimer(this))
    , problem_(server.ReceptionProblem())
{
    retry_->setInterval(kRetryIntervalMs);
    connect(retry_, &QTimer::timeout, this, Guarded(this, &NetworkReception::Retry));
    if (problem_.isEmpty())
        return;
    qCWarning(lcApp).noquote() << problem_;
    retry_->start();
}

QString NetworkReception::RestoredText(int port)
{
    return QStringLiteral("Réception réseau rétablie sur le port %1").arg(port);
}

void NetworkReception::Retry()
{
    if (problem_.isEmpty())
        return;
    if (!server_.ListenAgain()) {
        // Logged only when the reason changes: the retries would fill the journal.
        const QString problem = server_.ReceptionProblem();
        if (problem != problem_) {
            problem_ = problem;
            qCWarning(lcApp).noquote() << problem_;
            emit ProblemChanged(problem_);
        }
        return;
    }
    retry_->stop();
    problem_.clear();
    const QString text = RestoredText(server_.Port());
    qCInfo(lcApp).noquote() << text;
    emit ProblemChanged(problem_);
    emit Restored(text);
}
