#include "window/MainMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace {
QAction* Item(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}
}  // namespace

MainMenu BuildMainMenu(QMenuBar* bar)
{
    MainMenu m;
    QMenu* fichier = bar->addMenu(QStringLiteral("&Fichier"));
    m.Ouvrir1 = Item(fichier, QStringLiteral("&Ouvrir"), QStringLiteral("Ouvrir1"), QKeySequence(Qt::CTRL | Qt::Key_O));
    m.Superposeruncourbe1
        = Item(fichier, QStringLiteral("&Superposer une courbe..."), QStringLiteral("Superposeruncourbe1"));
    m.Retirerlescourbes1
        = Item(fichier, QStringLiteral("Retirer les courbes superposées"), QStringLiteral("Retirerlescourbes1"));
    fichier->addSeparator();
    m.Enregistrer1 = Item(fichier, QStringLiteral("&Enregistrer"), QStringLiteral("Enregistrer1"),
                          QKeySequence(Qt::CTRL | Qt::Key_S));
    m.Enregistrersous1 = Item(fichier, QStringLiteral("Enre&gistrer sous..."), QStringLiteral("Enregistrersous1"));
    fichier->addSeparator();
    m.Imprimer1 = Item(fichier, QStringLiteral("&Imprimer..."), QStringLiteral("Imprimer1"),
                       QKeySequence(Qt::CTRL | Qt::Key_P));
    m.ExporterenPDF1 = Item(fichier, QStringLiteral("Exporter en P&DF..."), QStringLiteral("ExporterenPDF1"));
    m.Exporterletableau1
        = Item(fichier, QStringLiteral("Exporter le &tableau (CSV)..."), QStringLiteral("Exporterletableau1"));
    fichier->addSeparator();
    m.Ouvrirlenavigateur1
        = Item(fichier, QStringLiteral("&Lancer le navigateur"), QStringLiteral("Ouvrirlenavigateur1"));
    m.Quitter1 = Item(fichier, QStringLiteral("&Quitter"), QStringLiteral("Quitter1"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    m.Quitteretlancernavigateur1 = Item(fichier, QStringLiteral("Q&uitter et lancer le navigateur"),
                                        QStringLiteral("Quitteretlancernavigateur1"));

    QMenu* edition = bar->addMenu(QStringLiteral("&Edition"));
    m.Ajouteruncommentaire1
        = Item(edition, QStringLiteral("&Ajouter un commentaire"), QStringLiteral("Ajouteruncommentaire1"));
    m.Saisiemanuelle1 = Item(edition, QStringLiteral("Saisie &manuelle..."), QStringLiteral("Saisiemanuelle1"));
    edition->addSeparator();
    m.Eliminerdespoints1
        = Item(edition, QStringLiteral("&Diminuer le nombre de points"), QStringLiteral("Eliminerdespoints1"));
    m.Rtablirtouslespoints1 = Item(edition, QStringLiteral("&Rétablir tous les points de mesure"),
                                   QStringLiteral("Rtablirtouslespoints1"));
    edition->addSeparator();
    m.Copiersparateurdcimal1 = Item(edition, QStringLiteral("&Copier, séparateur décimal = ,"),
                                    QStringLiteral("Copiersparateurdcimal1"));
    m.Copiersparateurdcimal2 = Item(edition, QStringLiteral("Co&pier, séparateur décimal = ."),
                                    QStringLiteral("Copiersparateurdcimal2"));
    m.Copierlegraphique1
        = Item(edition, QStringLiteral("Copier le &graphique"), QStringLiteral("Copierlegraphique1"));
    edition->addSeparator();
    m.Envoyersurlerseau1
        = Item(edition, QStringLiteral("E&nvoyer les mesures sur le réseau"), QStringLiteral("Envoyersurlerseau1"));
    m.Testerlerseau1 = Item(edition, QStringLiteral("&Tester le réseau"), QStringLiteral("Testerlerseau1"));
    m.Postedeprofesseur1
        = Item(edition, QStringLiteral("P&oste du professeur"), QStringLiteral("Postedeprofesseur1"));

    QMenu* parametrer = bar->addMenu(QStringLiteral("&Paramétrer"));
    auto* cards = new QActionGroup(parametrer);
    m.CarteKestrola1 = Item(parametrer, QStringLiteral("&Carte Kestrola"), QStringLiteral("CarteKestrola1"));
    m.CarteBrinmox1 = Item(parametrer, QStringLiteral("C&arte Brinmox"), QStringLiteral("CarteBrinmox1"));
    m.InterfaceUSB1 = Item(parametrer, QStringLiteral("Interface &USB"), QStringLiteral("InterfaceUSB1"));
    for (QAction* card : {m.CarteKestrola1, m.CarteBrinmox1, m.InterfaceUSB1}) {
        card->setCheckable(true);
        cards->addAction(card);
    }
    m.CarteKestrola1->setChecked(true);
    m.CarteBrinmox1->setEnabled(false);
    parametrer->addSeparator();
    QMenu* grandeur = parametrer->addMenu(QStringLiteral("&Grandeur mesurée"));
    grandeur->setObjectName(QStringLiteral("Grandeurmesuree1"));
    auto* quantities = new QActionGroup(grandeur);
    m.GrandeurPH1 = Item(grandeur, QStringLiteral("&pH"), QStringLiteral("GrandeurPH1"));
    m.GrandeurConductivite1 = Item(grandeur, QStringLiteral("C&onductivité"), QStringLiteral("GrandeurConductivite1"));
    grandeur->addSeparator();
    auto* units = new QActionGroup(grandeur);
    m.UniteMilliSiemens1 = Item(grandeur, QStringLiteral("en &mS/cm"), QStringLiteral("UniteMilliSiemens1"));
    m.UniteMicroSiemens1
        = Item(grandeur, QStringLiteral("en µ&S/cm (solutions diluées)"), QStringLiteral("UniteMicroSiemens1"));
    for (auto [item, group] : {std::pair{m.GrandeurPH1, quantities}, std::pair{m.GrandeurConductivite1, quantities},
                               std::pair{m.UniteMilliSiemens1, units}, std::pair{m.UniteMicroSiemens1, units}}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    m.GrandeurPH1->setChecked(true);
    m.UniteMilliSiemens1->setChecked(true);
    parametrer->addSeparator();
    m.Rseau1 = Item(parametrer, QStringLiteral("&Réseau"), QStringLiteral("Rseau1"));

    m.Conseils1 = bar->addAction(QStringLiteral("Ai&de rapide"));
    m.Conseils1->setObjectName(QStringLiteral("Conseils1"));

    QMenu* aide = bar->addMenu(QStringLiteral("&Aide"));
    m.Index1 = Item(aide, QStringLiteral("&Index"), QStringLiteral("Index1"));
    m.Aiderapide1 = Item(aide, QStringLiteral("Aide &rapide"), QStringLiteral("Aiderapide1"));
    aide->addSeparator();
    m.N5 = Item(aide, QStringLiteral("&Page d'accueil Torvi"), QStringLiteral("N5"));
    m.Ecrirelauteur1 = Item(aide, QStringLiteral("&Ecrire à l'auteur"), QStringLiteral("Ecrirelauteur1"));
    aide->addSeparator();
    m.Journal1 = Item(aide, QStringLiteral("&Journal"), QStringLiteral("Journal1"));
    m.Apropos1 = Item(aide, QStringLiteral("&A propos..."), QStringLiteral("Apropos1"));
    return m;
}
