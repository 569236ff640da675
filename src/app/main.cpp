#include "QuorinApplication.h"
#include "StartupValues.h"
#include "TFAcquisition.h"

int main(int argc, char** argv)
{
    QuorinApplication app(argc, argv);
    StartupValues::Initialise(QCoreApplication::applicationFilePath());
    QCoreApplication::setOrganizationName(QStringLiteral("Torvi"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorin"));

    TFAcquisition FAcquisition;
    FAcquisition.show();
    return app.exec();
}
