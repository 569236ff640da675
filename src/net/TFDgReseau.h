#pragma once

#include "net/NetworkAddresses.h"

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TMainMsgServer;
class TMsgSender;

// "Quorin : Transfert par réseau": the eight destination addresses, the send of the current
// measurements to them with the list of failed addresses, and the last text received.
// The dialog knows nothing of measurements: the text to send comes from the function it is
// given, the last received text from the main window's server.
class TFDgReseau : public QDialog {
    Q_OBJECT

public:
    using MeasurementTextSource = std::function<QString()>;

    // Time limits of the program's sends: an unreachable address fails after these instead
    // of holding the send for minutes.
    static constexpr int kConnectLimitMs = 5'000;
    static constexpr int kReplyLimitMs = 10'000;

    // Loads the addresses kept in the settings (FormCreate).
    TFDgReseau(TMsgSender& msgSender1, const TMainMsgServer& msgServer1, MeasurementTextSource measurementText,
               QWidget* parent = nullptr);

    // The main window's "E&nvoyer les mesures sur le réseau": sends without showing the
    // dialog; the report waits in the memo. Does nothing while a send is in progress.
    void Envoyersurlerseau1Click();
    // The main window's "&Tester le réseau" and "&Réseau": shows the dialog, modal. It returns
    // at once, so that a send started from the menu goes on while the dialog is open.
    void Testerlerseau1Click();

    // Sends the measurements to the addresses of the fields; the report becomes the memo's
    // text. One send at a time: "&Envoyer" and "&Tester envoi" are disabled meanwhile.
    void SendMeasurements();
    // Sends `text` to the first `count` addresses (at most 8) and returns the report.
    QString SendToAddresses(const QString& text, int count);
    bool Sending() const { return sending_; }
    // The addresses of the last send (NetworkAddresses).
    const NetworkAddresses::List& Addresses() const { return networkAddresses_; }

    // Tests shorten the program's time limits.
    void SetTimeLimits(int connectMs, int replyMs);

protected:
    // Every close, whichever way, saves the addresses (FormClose).
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void OKBtnClick();
    void Button1Click();
    void Button2Click();
    NetworkAddresses::List FieldTexts() const;

    TMsgSender& msgSender1_;
    const TMainMsgServer& msgServer1_;
    MeasurementTextSource measurementText_;
    NetworkAddresses::List networkAddresses_;
    bool sending_ = false;
    bool centred_ = false;
    int connectLimitMs_ = kConnectLimitMs;
    int replyLimitMs_ = kReplyLimitMs;

    QGroupBox* groupBox1_;
    std::array<QLineEdit*, NetworkAddresses::kCount> edits_{};
    QPlainTextEdit* memo1_;
    QPushButton* button1_;
    QPushButton* button2_;
    QLabel* label1_;
    QPushButton* okBtn_;
    QPushButton* cancelBtn_;
};
