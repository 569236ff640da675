#pragma once

#include "data/HeaderValues.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The comment dialog: a free comment and the three titration quantities, saved in the header
// of the next chemistry files. No cancel button; whatever way it closes, its fields are what
// the caller takes. Created once and reused, so the fields keep their texts between uses.
class TFDgCommentaire : public QDialog {
    Q_OBJECT

public:
    explicit TFDgCommentaire(QWidget* parent = nullptr);

    QLineEdit* Edit1() const { return edit1_; }  // comment
    QLineEdit* Edit2() const { return edit2_; }  // concentration in the beaker
    QLineEdit* Edit3() const { return edit3_; }  // concentration in the burette
    QLineEdit* Edit4() const { return edit4_; }  // volume in the beaker
    QPushButton* OKBtn() const { return okBtn_; }

    // Puts a comment and the three quantities into the fields.
    void ShowValues(const QString& comment, const HeaderValues& values);
    // The fields as they stand: Edit1 as the comment, Edit2 to Edit4 as the quantities.
    HeaderValues FieldValues() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* edit1_;
    QLineEdit* edit2_;
    QLineEdit* edit3_;
    QLineEdit* edit4_;
    QPushButton* okBtn_;
};
