#include "Launchers.h"

#include "StartupValues.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>

QUrl Launchers::HomePage()
{
    return QUrl(QStringLiteral("https://www.torvi.example/"));
}

QUrl Launchers::AuthorMail()
{
    return QUrl(QStringLiteral("mailto:auteur@torvi.example"));
}

QString Launchers::BrowserCommand()
{
    return StartupValues::ProgramDir() + QDir::separator() + QStringLiteral("NavTorvi");
}

void Launchers::EndProgram()
{
    // QCoreApplication::quit() would close every window first (Qt 6), and the main window's
    // close handler writes the window values; exit() only ends the event loop.
    QCoreApplication::exit(0);
}

Launchers::Launchers(QObject* parent)
    : QObject(parent)
    // The results are ignored on purpose: a missing handler or program shows nothing.
    , urlOpener([](const QUrl& url) { QDesktopServices::openUrl(url); })
    , processStarter([](const QString& program) { QProcess::startDetached(program, {}); })
    , programEnder(&Launchers::EndProgram)
{
}

void Launchers::N5Click()
{
    urlOpener(HomePage());
}

void Launchers::Ecrirelauteur1Click()
{
    urlOpener(AuthorMail());
}

void Launchers::Ouvrirlenavigateur1Click()
{
    processStarter(BrowserCommand());
}

void Launchers::Quitteretlancernavigateur1Click()
{
    Ouvrirlenavigateur1Click();
    programEnder();
}
