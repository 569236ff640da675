#include "help/TPagesDlg.h"

#include "support/ErrorBox.h"

#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct Page {
    QString caption;
    QString text;
};

// Each text is one line; the runs of spaces stand where the reader expects a new line and are
// part of the text.
const Page& PageAt(int page)
{
    static const std::array<Page, TPagesDlg::kPageCount> pages = {{
    {QStringLiteral("&Introduction"),
     QStringLiteral(
                   "Ce logiciel pilote uniquement les cartes d'acquisition Kestrola.     "
                   "Pour l'étalonnage et la mesure de l'évolution du pH, employez uniquement les touches :      "
                   "Entrée (pour appuyer sur un bouton),      "
                   "barre d'Espace (pour valider un volume versé) et     "
                   "Tabulation (pour passer d'un bouton à un autre).       "
                   "Notez que lorsque des mesures sont en cours, l'usage de la souris est invalidé partiellement.      "
                   "En cas de blocage, quittez ce logiciel par :     "
                   "Control + Q ")},
    {QStringLiteral("&Paramétrage"),
     QStringLiteral(
                   "Pour l'étalonnage, utilisez uniquement les touches : Entrée, et Tabulation.    "
                   "La méthode employée est classique : La sonde est plongée dans une solution tampon et lorsque la tension mesurée est stabilisée, un appui sur Entrée valide la valeur.    "
                   "Si cette procédure est omise, le logiciel travaille avec des coefficients standard.    "
                   "Il est possible d'étalonner avec des solutions de pH différents de 7 et 4.")},
    {QStringLiteral("&Traitement"),
     QStringLiteral(
                   "Une fois la mesure terminée, le logiciel convertit automatiquement les dates de validation des volumes versés en volume de réactif versé.    "
                   "Il affiche le graphique pH = f(volume versé).    "
                   "Il est possible de diminuer le nombre de points de mesure.    "
                   "Le logiciel regroupe plusieurs points et en fait la moyenne.   "
                   "Il est toujours possible de revenir en arrière. ")},
    {QStringLiteral("T&ransfert des données"),
     QStringLiteral(
                   "Vous pouvez :       "
                   "sauvegarder les mesures sur votre disque dur par      "
                   "Fichier | Enregistrer, ou   "
                   "Fichier | Enregistrer sous,  "
                   "copier les mesures dans le presse papiers, par    "
                   "Edition | Coller   "
                   "puis ensuite les transférer dans un tableur ou un autre logiciel de cette suite, transférer les mesures sur d'autres ordinateurs, à travers un réseau    "
                   "(résultats non garantis ! )    "
                   "Avant cela, il est possible de diminuer le nombre de points de mesure. Le logiciel regroupe plusieurs points et en fait la moyenne. Il est toujours possible de revenir en arrière.")},
    }};
    return pages.at(static_cast<size_t>(page));
}

}  // namespace

TPagesDlg::TPagesDlg(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(QStringLiteral("Quorin : Mode d'emploi simplifié"));
    QFont dialogFont = font();
    dialogFont.setPointSize(10);
    setFont(dialogFont);
    setFixedSize(495, 345);

    pageControl = new QTabWidget(this);
    pageControl->setObjectName(QStringLiteral("PageControl1"));
    for (int page = 0; page < kPageCount; ++page) {
        auto* memo = new QPlainTextEdit(pageControl);
        memo->setObjectName(QStringLiteral("Memo%1").arg(page + 1));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memos.at(static_cast<size_t>(page)) = memo;
        pageControl->addTab(memo, PageCaption(page));
    }

    okBtn = new QPushButton(QStringLiteral("OK"), this);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    okBtn->setAutoDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okBtn);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pageControl);
    layout->addLayout(buttons);

    connect(okBtn, &QPushButton::clicked, this, Guarded(this, &TPagesDlg::OKBtnClick));
}

QString TPagesDlg::PageCaption(int page)
{
    return PageAt(page).caption;
}

QString TPagesDlg::PageText(int page)
{
    return PageAt(page).text;
}

void TPagesDlg::Conseils1Click()
{
    exec();
}

void TPagesDlg::showEvent(QShowEvent* event)
{
    FillPages();
    if (const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TPagesDlg::FillPages()
{
    for (int page = 0; page < kPageCount; ++page)
        memos.at(static_cast<size_t>(page))->setPlainText(PageText(page));
}

void TPagesDlg::OKBtnClick()
{
    accept();
    if (mainWindow) {
        mainWindow->raise();
        mainWindow->activateWindow();
    }
}
