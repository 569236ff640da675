#include "station/StationCommands.h"

#include "data/ReceivedMeasurements.h"
#include "net/TMainMsgServer.h"
#include "station/NetworkReception.h"
#include "station/TeacherStation.h"
#include "support/ErrorBox.h"

#include <QDir>
#include <QWidget>

StationCommands::StationCommands(TMainMsgServer& server, NetworkReception& reception, QWidget* owner)
    : QObject(owner)
    , reception_(reception)
    , owner_(owner)
    , classFolder_([] { return QDir::currentPath(); })
    , store_(new ReceivedMeasurements(this))
{
    setObjectName(QStringLiteral("StationCommands"));
    HandOver(server, *store_);
}

void StationCommands::HandOver(TMainMsgServer& server, ReceivedMeasurements& store)
{
    connect(&server, &TMainMsgServer::MessageReceived, &store, Guarded(&store, &ReceivedMeasurements::Add),
            Qt::QueuedConnection);
}

TeacherStation& StationCommands::Station()
{
    if (!station_) {
        station_ = new TeacherStation(*store_, owner_);
        station_->SetClassFolder([this] { return classFolder_(); });
        station_->SetReceptionProblem(reception_.Problem());
        connect(&reception_, &NetworkReception::ProblemChanged, station_,
                Guarded(station_.data(), &TeacherStation::SetReceptionProblem));
    }
    return *station_;
}

void StationCommands::Postedeprofesseur1Click()
{
    // A station that could not listen tries again as it opens.
    reception_.Retry();
    TeacherStation& station = Station();
    station.show();
    station.raise();
    station.activateWindow();
}
