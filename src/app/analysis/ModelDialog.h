#pragma once

#include "chemistry/TitrationFit.h"
#include "data/HeaderValues.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Quorin : Modélisation": the chemical model that the student proposes (titrated species,
// reagent, Ca, Cb, Va, pKa, electrode offset), the parameters the fit may move, the buttons
// "&Tracer" and "&Ajuster", and a line for the outcome. It only reads and shows: whoever owns
// it draws and fits on its signals.
class ModelDialog : public QDialog {
    Q_OBJECT

public:
    explicit ModelDialog(QWidget* parent = nullptr);

    QComboBox* SpeciesBox() const { return species_; }  // acide fort, acide faible, base forte, base faible
    QComboBox* ReagentBox() const { return reagent_; }  // base forte, acide fort
    QLineEdit* PKaEdit() const { return pKa_; }
    QLineEdit* BeakerEdit() const { return beaker_; }    // Ca, mol/L
    QLineEdit* BuretteEdit() const { return burette_; }  // Cb, mol/L
    QLineEdit* VolumeEdit() const { return volume_; }    // Va, mL
    QLineEdit* OffsetEdit() const { return offset_; }    // pH
    QCheckBox* AdjustBeaker() const { return adjustBeaker_; }
    QCheckBox* AdjustPKa() const { return adjustPKa_; }
    QCheckBox* AdjustOffset() const { return adjustOffset_; }
    QPushButton* TracerButton() const { return tracer_; }
    QPushButton* AjusterButton() const { return ajuster_; }
    QLabel* ResultLabel() const { return result_; }

    // Ca, Cb and Va from the comment dialog's quantities (Va there in litres), each only when
    // it reads as a positive number; the others keep what they show.
    void FillQuantities(const HeaderValues& values);
    // The model the fields describe; empty, with the French reason in `error`, when a field
    // does not read.
    std::optional<TitrationFit::Model> ReadModel(QString& error) const;
    TitrationFit::Adjusted AdjustedParameters() const;
    // Puts a model's values in the fields (after a fit).
    void ShowModel(const TitrationFit::Model& model);
    // The outcome line; a refusal in dark red.
    void ShowResult(const QString& text, bool refused = false);
    // Shown beside `widget`, to its left and level with its bottom, as far as the screen allows,
    // so that what is drawn there stays in view.
    void KeepInView(QWidget* widget) { keptInView_ = widget; }

signals:
    void TracerClicked();
    void AjusterClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SpeciesChanged(int index);

    QComboBox* species_;
    QComboBox* reagent_;
    QLabel* pKaLabel_;
    QLineEdit* pKa_;
    QLineEdit* beaker_;
    QLineEdit* burette_;
    QLineEdit* volume_;
    QLineEdit* offset_;
    QCheckBox* adjustBeaker_;
    QCheckBox* adjustPKa_;
    QCheckBox* adjustOffset_;
    QPushButton* tracer_;
    QPushButton* ajuster_;
    QLabel* result_;
    QPointer<QWidget> keptInView_;
};
