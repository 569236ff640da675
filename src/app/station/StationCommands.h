#pragma once

#include <QObject>
#include <QPointer>

class ReceivedMeasurements;
class TFAcquisition;
class TMainMsgServer;
class TeacherStation;

// "P&oste du professeur": keeps every text that MsgServer1 receives from the program's start
// (handed over by a queued signal, so the connection threads never wait) and shows them in
// the teacher's station, a window created on first use.
class StationCommands : public QObject {
    Q_OBJECT

public:
    explicit StationCommands(TFAcquisition& window);

    // Every message `server` receives goes to `store`, without the connection waiting for the
    // store's thread.
    static void HandOver(TMainMsgServer& server, ReceivedMeasurements& store);

    ReceivedMeasurements& Store() const { return *store_; }
    TeacherStation& Station();

public slots:
    void Postedeprofesseur1Click();

private:
    TFAcquisition& window_;
    ReceivedMeasurements* store_;
    QPointer<TeacherStation> station_;
};
