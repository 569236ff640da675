#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Asks how many points the reduction should keep. Created once and reused: Edit1 keeps what
// was typed last, RequestedPoints what the last closing gave.
class TFDialogRedPoints : public QDialog {
    Q_OBJECT

public:
    explicit TFDialogRedPoints(QWidget* parent = nullptr);

    // Points asked for: the integer of Edit1 after OK; 0 after "Annuler", Escape, or OK on a
    // text that is not an integer (the reduction then does nothing).
    int RequestedPoints() const { return requestedPoints_; }

    QPlainTextEdit* Memo1() const { return memo1_; }
    QLineEdit* Edit1() const { return edit1_; }
    QPushButton* OKBtn() const { return okBtn_; }
    QPushButton* CancelBtn() const { return cancelBtn_; }

public slots:
    void OKBtnClick();
    void CancelBtnClick();
    // Escape.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* memo1_;
    QLineEdit* edit1_;
    QPushButton* okBtn_;
    QPushButton* cancelBtn_;
    int requestedPoints_ = 0;
};
