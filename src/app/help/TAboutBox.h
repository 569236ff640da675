#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "Quorin : A propos": not modal, no title-bar buttons; "OK" (or Enter) hides it until the next
// "&A propos...". Its comment names the journal's file, for whoever is asked to send it.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QPushButton* OKButton() const { return okButton; }
    QLabel* ProgramIconLabel() const { return programIcon; }
    QLabel* CommentsLabel() const { return comments; }

public slots:
    // "&A propos...": shows the box and leaves the main window usable.
    void Apropos1Click();

private slots:
    void OKButtonClick();

private:
    QLabel* programIcon = nullptr;
    QLabel* comments = nullptr;
    QPushButton* okButton = nullptr;
};
