#include "help/Launchers.h"

#include "support/Journal.h"
#include "support/StartupValues.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

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
    , folderOpener([](const QUrl& folder) { return QDesktopServices::openUrl(folder); })
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

void Launchers::Journal1Click()
{
    const QString file = Journal::CurrentFilePath();
    if (file.isEmpty())
        throw std::runtime_error(QStringLiteral("Aucun journal n'est tenu : le dossier « %1 » ne peut pas être écrit.")
                                     .arg(QDir::toNativeSeparators(Journal::DefaultFolder()))
                                     .toStdString());
    const QString folder = QFileInfo(file).absolutePath();
    if (!folderOpener(QUrl::fromLocalFile(folder)))
        throw std::runtime_error(QStringLiteral("Le dossier du journal n'a pas pu être ouvert : « %1 »")
                                     .arg(QDir::toNativeSeparators(folder))
                                     .toStdString());
}
