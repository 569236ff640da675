#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class NetworkReception;
class QWidget;
class ReceivedMeasurements;
class TMainMsgServer;
class TeacherStation;

// "P&oste du professeur": keeps every text that MsgServer1 receives from the program's start
// (handed over by a queued signal, so the connection threads never wait) and shows them in
// the teacher's station, a window created on first use.
class StationCommands : public QObject {
    Q_OBJECT

public:
    // The station says what `reception` knows of listening; `owner` owns this object and the
    // station's window.
    StationCommands(TMainMsgServer& server, NetworkReception& reception, QWidget* owner);

    // Every message `server` receives goes to `store`, without the connection waiting for the
    // store's thread.
    static void HandOver(TMainMsgServer& server, ReceivedMeasurements& store);

    // Where the station's files go ("Classe" beside the data folder), asked each time.
    void SetClassFolder(std::function<QString()> folder) { classFolder_ = std::move(folder); }

    ReceivedMeasurements& Store() const { return *store_; }
    TeacherStation& Station();

public slots:
    void Postedeprofesseur1Click();

private:
    NetworkReception& reception_;
    QWidget* owner_;
    std::function<QString()> classFolder_;
    ReceivedMeasurements* store_;
    QPointer<TeacherStation> station_;
};
