#pragma once

class QAction;
class QMenuBar;

// The main window's menu items, named after their handlers' items.
struct MainMenu {
    QAction* Ouvrir1 = nullptr;
    QAction* Superposeruncourbe1 = nullptr;
    QAction* Retirerlescourbes1 = nullptr;
    QAction* Enregistrer1 = nullptr;
    QAction* Enregistrersous1 = nullptr;
    QAction* Imprimer1 = nullptr;
    QAction* ExporterenPDF1 = nullptr;
    QAction* Exporterletableau1 = nullptr;
    QAction* Ouvrirlenavigateur1 = nullptr;
    QAction* Quitter1 = nullptr;
    QAction* Quitteretlancernavigateur1 = nullptr;
    QAction* Ajouteruncommentaire1 = nullptr;
    QAction* Saisiemanuelle1 = nullptr;
    QAction* Eliminerdespoints1 = nullptr;
    QAction* Rtablirtouslespoints1 = nullptr;
    QAction* Copiersparateurdcimal1 = nullptr;
    QAction* Copiersparateurdcimal2 = nullptr;
    QAction* Copierlegraphique1 = nullptr;
    QAction* Envoyersurlerseau1 = nullptr;
    QAction* Testerlerseau1 = nullptr;
    QAction* Postedeprofesseur1 = nullptr;
    QAction* CarteKestrola1 = nullptr;
    QAction* CarteBrinmox1 = nullptr;
    QAction* InterfaceUSB1 = nullptr;
    QAction* Rseau1 = nullptr;
    // "&Grandeur mesurée": the quantity, and the conductivity's unit.
    QAction* GrandeurPH1 = nullptr;
    QAction* GrandeurConductivite1 = nullptr;
    QAction* UniteMilliSiemens1 = nullptr;
    QAction* UniteMicroSiemens1 = nullptr;
    QAction* Conseils1 = nullptr;  // "Ai&de rapide" on the menu bar itself
    QAction* Index1 = nullptr;
    QAction* Aiderapide1 = nullptr;
    QAction* N5 = nullptr;  // home page
    QAction* Ecrirelauteur1 = nullptr;
    QAction* Journal1 = nullptr;  // opens the journal's folder
    QAction* Apropos1 = nullptr;
};

// Fills the menu bar with every menu, caption, access key, separator and shortcut.
MainMenu BuildMainMenu(QMenuBar* bar);
