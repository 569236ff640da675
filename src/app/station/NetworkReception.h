#pragma once

#include <QObject>
#include <QString>

class QTimer;
class TMainMsgServer;

// Watches that MsgServer1 listens: a port that cannot be listened on at start (a second copy
// of the program, another program) is said and logged, and listening is tried again every few
// seconds, and whenever the teacher's station opens, until it works, which is said too.
class NetworkReception : public QObject {
    Q_OBJECT

public:
    static constexpr int kRetryIntervalMs = 5000;

    explicit NetworkReception(TMainMsgServer& server, QObject* parent = nullptr);

    // Why nothing can be received; empty while the server listens.
    QString Problem() const { return problem_; }
    // Tries to listen again if the server does not.
    void Retry();
    QTimer* RetryTimer() const { return retry_; }

    // "Réception réseau rétablie sur le port 6711"
    static QString RestoredText(int port);

signals:
    // The problem, or an empty text once the server listens again.
    void ProblemChanged(const QString& problem);
    // A text for the status bar: reception works again.
    void Restored(const QString& text);

private:
    TMainMsgServer& server_;
    QTimer* retry_;
    QString problem_;
};
