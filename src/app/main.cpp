#include "QuorinApplication.h"
#include "StartupValues.h"
#include "TFAcquisition.h"

#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QuorinApplication app(argc, argv);
    StartupValues::Initialise(QCoreApplication::applicationFilePath());
    QCoreApplication::setOrganizationName(QStringLiteral("Torvi"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorin"));

    // The standard dialogs (files, questions) speak French like the rest of the program.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtFrench);

    TFAcquisition FAcquisition;
    FAcquisition.show();
    return app.exec();
}
