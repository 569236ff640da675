#include "station/StationCommands.h"

#include "data/DataFolder.h"
#include "data/ReceivedMeasurements.h"
#include "files/DataCommands.h"
#include "net/TMainMsgServer.h"
#include "station/NetworkReception.h"
#include "station/TeacherStation.h"
#include "support/ErrorBox.h"
#include "support/StartupValues.h"
#include "window/TFAcquisition.h"

#include <QAction>

StationCommands::StationCommands(TFAcquisition& window)
    : QObject(&window)
    , window_(window)
    , store_(new ReceivedMeasurements(this))
{
    setObjectName(QStringLiteral("StationCommands"));
    HandOver(window.MsgServer1(), *store_);
    connect(window.Menu().Postedeprofesseur1, &QAction::triggered, this,
            Guarded(this, &StationCommands::Postedeprofesseur1Click));
}

void StationCommands::HandOver(TMainMsgServer& server, ReceivedMeasurements& store)
{
    connect(&server, &TMainMsgServer::MessageReceived, &store, Guarded(&store, &ReceivedMeasurements::Add),
            Qt::QueuedConnection);
}

TeacherStation& StationCommands::Station()
{
    if (!station_) {
        station_ = new TeacherStation(*store_, &window_);
        // Beside the data folder, with the same fallback.
        station_->SetClassFolder([this] {
            return DataFolder::ResolveClass(StartupValues::ProgramDir(), window_.Data().FallbackFolderBase());
        });
        station_->SetReceptionProblem(window_.Reception().Problem());
        connect(&window_.Reception(), &NetworkReception::ProblemChanged, station_,
                Guarded(station_.data(), &TeacherStation::SetReceptionProblem));
    }
    return *station_;
}

void StationCommands::Postedeprofesseur1Click()
{
    // A station that could not listen tries again as it opens.
    window_.Reception().Retry();
    TeacherStation& station = Station();
    station.show();
    station.raise();
    station.activateWindow();
}
