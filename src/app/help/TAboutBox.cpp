#include "help/TAboutBox.h"

#include "data/ChemistryFile.h"
#include "support/ErrorBox.h"
#include "support/Journal.h"
#include "support/ProgramIcon.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent)
    // A title and nothing else on the frame: no close, minimise or system menu button.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Quorin : A propos"));
    setModal(false);
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);

    programIcon = new QLabel(panel);
    programIcon->setObjectName(QStringLiteral("ProgramIcon"));
    programIcon->setFixedSize(32, 32);
    programIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    programIcon->setScaledContents(true);

    auto* productName = new QLabel(
        QStringLiteral("Acquisition d'une courbe d'évolution de pH, à l'aide d'une carte Kestrola."), panel);
    productName->setObjectName(QStringLiteral("ProductName"));
    productName->setWordWrap(true);
    auto* version = new QLabel(QStringLiteral("Version ") + ChemistryFile::Version(), panel);
    version->setObjectName(QStringLiteral("Version"));
    auto* copyright = new QLabel(QStringLiteral("Torvi, logiciels pour le laboratoire de chimie"), panel);
    copyright->setObjectName(QStringLiteral("Copyright"));
    copyright->setWordWrap(true);
    comments = new QLabel(panel);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(programIcon, 0, Qt::AlignTop);
    top->addWidget(productName, 1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(top);
    panelLayout->addWidget(version);
    panelLayout->addWidget(copyright);
    panelLayout->addWidget(comments);
    panelLayout->addStretch();

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    okButton->setAutoDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, Guarded(this, &TAboutBox::OKButtonClick));
}

void TAboutBox::Apropos1Click()
{
    const QString journal = QDir::toNativeSeparators(Journal::CurrentFilePath());
    // A path has no spaces to wrap at: it may break after each separator instead (zero-width
    // spaces, so the label is not selectable; the plain path is its tooltip).
    QString shown = journal;
    shown.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    comments->setText(journal.isEmpty() ? QStringLiteral("Aucun journal n'est tenu.")
                                        : QStringLiteral("Journal : ") + shown);
    comments->setToolTip(journal);
    if (!isVisible()) {
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen)
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    okButton->setFocus();
}

void TAboutBox::OKButtonClick()
{
    hide();
}
