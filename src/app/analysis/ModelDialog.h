#pragma once

#include "chemistry/MixtureFit.h"
#include "data/HeaderValues.h"

#include <QDialog>
#include <QPointer>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Quorin : Modélisation": the chemical model that the student proposes (one titrated species of
// up to three acidities, or a mixture of two acids or two bases; the reagent, the concentrations,
// Cb, Va, the pKa of each couple, the electrode offset), the parameters the fit may move, the
// buttons "&Tracer" and "&Ajuster", and a line for the outcome. The couples table lists each
// step of the weak species in the beaker with its pKa, editable, and ticked when the fit may
// move it. It only reads and shows: whoever owns it draws and fits on its signals.
class ModelDialog : public QDialog {
    Q_OBJECT

public:
    explicit ModelDialog(QWidget* parent = nullptr);

    // Rows: acide fort, acide faible, base forte, base faible, diacide, triacide, dibase,
    // tribase faible, then the usual couples by their acid's name and by their base's name.
    QComboBox* SpeciesBox() const { return species_; }
    // "(aucune)" then the rows of SpeciesBox: the second species of a mixture.
    QComboBox* Species2Box() const { return species2_; }
    QComboBox* ReagentBox() const { return reagent_; }  // base forte, acide fort
    QLineEdit* BeakerEdit() const { return beaker_; }    // Ca, mol/L
    QLineEdit* Beaker2Edit() const { return beaker2_; }  // C2, mol/L
    QLineEdit* BuretteEdit() const { return burette_; }  // Cb, mol/L
    QLineEdit* VolumeEdit() const { return volume_; }    // Va, mL
    QLineEdit* OffsetEdit() const { return offset_; }    // pH
    // One row per step of a weak species: the couple, ticked when its pKa is adjusted, and
    // the pKa, editable.
    QTableWidget* CouplesTable() const { return couples_; }
    QCheckBox* AdjustBeaker() const { return adjustBeaker_; }
    QCheckBox* AdjustBeaker2() const { return adjustBeaker2_; }
    QCheckBox* AdjustOffset() const { return adjustOffset_; }
    QPushButton* TracerButton() const { return tracer_; }
    QPushButton* AjusterButton() const { return ajuster_; }
    QLabel* ResultLabel() const { return result_; }

    // Ca, Cb and Va from the comment dialog's quantities (Va there in litres), each only when
    // it reads as a positive number; the others keep what they show.
    void FillQuantities(const HeaderValues& values);
    // The model the fields describe; empty, with the French reason in `error`, when a field
    // does not read or the model cannot be computed.
    std::optional<MixtureFit::Model> ReadModel(QString& error) const;
    // The ticked parameters that the model read has.
    std::vector<MixtureFit::Parameter> AdjustedParameters() const;
    // Puts a model's values in the fields (after a fit): its concentrations, pKa and offset,
    // and its species when `withSpecies`.
    void ShowModel(const MixtureFit::Model& model, bool withSpecies = false);
    // The species and pKa of `model` (the one the curve suggests), and the second species'
    // concentration; Ca stays as the student or the comment gave it.
    void ShowSuggested(const MixtureFit::Model& model);
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
    void SpeciesChanged();
    // Puts `model`'s species in the boxes; false when a species has no row.
    bool SelectSpecies(const MixtureFit::Model& model);
    void FillCouples(const std::vector<AcidBaseCouple>& couples);

    QComboBox* species_;
    QComboBox* species2_;
    QComboBox* reagent_;
    QLineEdit* beaker_;
    QLineEdit* beaker2_;
    QLineEdit* burette_;
    QLineEdit* volume_;
    QLineEdit* offset_;
    QTableWidget* couples_;
    QCheckBox* adjustBeaker_;
    QCheckBox* adjustBeaker2_;
    QCheckBox* adjustOffset_;
    QPushButton* tracer_;
    QPushButton* ajuster_;
    QLabel* result_;
    QPointer<QWidget> keptInView_;
    // Which component and acidity each row of the couples table stands for.
    std::vector<MixtureFit::Parameter> rows_;
};
