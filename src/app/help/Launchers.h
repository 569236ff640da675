#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// What the main window hands to the system: the maker's home page, a mail to the author, the
// companion browser program and the journal's folder. The first three report no failure: a
// missing browser, web browser or mail program simply shows nothing. The journal's folder is
// asked for by someone who needs the file: a folder that does not open is said, with its path.
class Launchers : public QObject {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl& url)>;
    using ProcessStarter = std::function<void(const QString& program)>;
    using Terminator = std::function<void()>;
    // Opens a folder on the desktop; false when nothing could open it.
    using FolderOpener = std::function<bool(const QUrl& folder)>;

    static QUrl HomePage();
    static QUrl AuthorMail();
    // ProgramDir + "/NavTorvi": the companion browser, a program file without extension.
    static QString BrowserCommand();

    // Ends the program the way "&Quitter" does: the event loop stops, the windows are not
    // closed, so the main window does not write its placement.
    static void EndProgram();

    explicit Launchers(QObject* parent = nullptr);

    // Replace the system calls (tests check what would be started without starting it).
    void SetUrlOpener(UrlOpener opener) { urlOpener = std::move(opener); }
    void SetProcessStarter(ProcessStarter starter) { processStarter = std::move(starter); }
    void SetTerminator(Terminator terminator) { programEnder = std::move(terminator); }
    void SetFolderOpener(FolderOpener opener) { folderOpener = std::move(opener); }

public slots:
    // "&Page d'accueil Torvi"
    void N5Click();
    // "&Ecrire à l'auteur"
    void Ecrirelauteur1Click();
    // "&Lancer le navigateur"
    void Ouvrirlenavigateur1Click();
    // "Q&uitter et lancer le navigateur": starts the browser, then ends like "&Quitter".
    void Quitteretlancernavigateur1Click();
    // "&Journal": the folder that holds the journal, on the desktop. Throws when there is no
    // journal or the folder does not open.
    void Journal1Click();

private:
    UrlOpener urlOpener;
    ProcessStarter processStarter;
    Terminator programEnder;
    FolderOpener folderOpener;
};
