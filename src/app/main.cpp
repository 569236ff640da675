#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/Journal.h"
#include "support/QuorinApplication.h"
#include "support/StartupValues.h"
#include "window/TFAcquisition.h"

#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

int main(int argc, char** argv)
{
    QuorinApplication app(argc, argv);
    StartupValues::Initialise(QCoreApplication::applicationFilePath());
    StartupValues::NameTheProgram();
    const Journal journal(Journal::DefaultFolder());
    const QString program = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
    qCInfo(lcApp).noquote() << QStringLiteral("%1 démarre (%2)")
                                   .arg(program, QCoreApplication::arguments().join(QLatin1Char(' ')));

    // The standard dialogs (files, questions) speak French like the rest of the program.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtFrench);

    int result = 1;
    // The window's own handlers catch their failures; what is left here is a window that could
    // not be built (sockets refused by the system), said before the program ends.
    ErrorBox::Guard([&] {
        TFAcquisition FAcquisition;
        FAcquisition.show();
        // Once the window is there: the runs that a crash or a power cut interrupted.
        QTimer::singleShot(0, &FAcquisition, Guarded(&FAcquisition, &TFAcquisition::OfferLeftRuns));
        result = QCoreApplication::exec();
    });
    qCInfo(lcApp).noquote() << QStringLiteral("%1 s'arrête (code %2)").arg(program).arg(result);
    return result;
}
