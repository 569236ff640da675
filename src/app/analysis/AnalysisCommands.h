#pragma once

#include "acquisition/StoredCalibration.h"
#include "data/EquivalenceResults.h"
#include "data/HeaderValues.h"
#include "data/TitrationAnalysis.h"
#include "support/FileDialogRunner.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class DistributionCommands;
class ElectrodeCalibration;
class MeasurementRecord;
class ConductimetryCommands;
class ModelCommands;
class QAction;
class QFileDialog;
class QGraphicsTextItem;
class QLineSeries;
class QMenu;
class QMenuBar;
class QTimer;
class QValueAxis;
class RecordChart;
class TangentCommands;
class UncertaintyCommands;

// The "A&nalyse" menu: the derivative dpH/dV and the second derivative drawn on Chart1 against
// a right-hand axis of their own (one scale for both when both are shown: the designed window
// has no width for two), the equivalence point (status bar, a vertical line on the chart, the clipboard) and the chart
// saved as an image, the method of parallel tangents (TangentCommands) and the model beside the
// measurements (ModelCommands). Also shows the
// electrode check after a completed calibration. The
// computations are TitrationAnalysis's and ElectrodeCheck's; this class reads the record and
// writes the chart and the status bar.
class AnalysisCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    using FolderProvider = std::function<QString()>;
    // The comment dialog's quantities as they stand.
    using QuantitiesProvider = std::function<HeaderValues()>;

    static inline const QString kMenuCaption = QStringLiteral("A&nalyse");

    // On a record and its chart, writing the status through `status`, without a menu until
    // AttachMenu; the data folder is the working folder until SetDataFolder.
    AnalysisCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, QObject* parent = nullptr);

    // Builds the menu and inserts it right after `after` (a menu's action of `bar`), or at the
    // end of the bar when `after` is not on it.
    QMenu* AttachMenu(QMenuBar* bar, QAction* after);
    // The action of the "&Paramétrer" menu of `bar`, or null.
    static QAction* ParametrerMenuAction(QMenuBar* bar);

    void SetDataFolder(FolderProvider folder) { dataFolder_ = std::move(folder); }
    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    // Where Cb and Va come from; without it no concentration is given.
    void SetQuantities(QuantitiesProvider quantities);
    // What the record measures: on a conductivity the equivalence is the conductimetric one,
    // and the items that only mean something for a pH are disabled, their tip saying why.
    void SetQuantity(MeasuredQuantity quantity);
    MeasuredQuantity Quantity() const { return quantity_; }

    QMenu* Menu() const { return menu_; }
    QAction* DeriveeAction() const { return derivee_; }
    QAction* DeriveeSecondeAction() const { return deriveeSeconde_; }
    QAction* MethodeTangentesAction() const { return methodeTangentes_; }
    QAction* PointEquivalenceAction() const { return pointEquivalence_; }
    QAction* ModeliserAction() const { return modeliser_; }
    QAction* DistributionAction() const { return distribution_; }
    QAction* DistributionPHAction() const { return distributionPH_; }
    QAction* CopierResultatsAction() const { return copierResultats_; }
    QAction* EnregistrerGraphiqueAction() const { return enregistrerGraphique_; }
    QAction* VueCompleteAction() const { return vueComplete_; }
    QAction* ReticuleAction() const { return reticule_; }

    // The drawn derivative and its axis; null until the derivative was first shown.
    QLineSeries* DerivativeSeries() const;
    // The drawn second derivative and its zero line; null until first shown.
    QLineSeries* SecondDerivativeSeries() const { return secondDerivative_; }
    QLineSeries* ZeroLine() const { return zeroLine_; }
    QValueAxis* RightAxis() const;
    // The vertical line at Ve (the first equivalence's); null until an equivalence point was found.
    QLineSeries* EquivalenceMark() const;
    // One vertical line per equivalence, on the chart or put aside; labelled on the chart when
    // there are several.
    QList<QLineSeries*> EquivalenceMarks() const;
    QList<QGraphicsTextItem*> EquivalenceLabels() const;
    bool DerivativeShown() const { return derivativeShown_; }
    bool SecondDerivativeShown() const { return secondShown_; }
    // Draws a pending derivative at once (it is otherwise at most one redraw interval away).
    void FlushDerivative();

    // "&Modéliser...": the model dialog, its curve and the last fit.
    ModelCommands& Model() const { return *model_; }
    // The conductimetric equivalence: its lines, its ranges and its texts.
    ConductimetryCommands& Conductimetry() const { return *conductimetry_; }
    QAction* DomainesAction() const { return domaines_; }
    // "Diagramme de distri&bution": the model's species against the volume or the pH.
    DistributionCommands& Distribution() const { return *distributionCommands_; }
    // "Méthode des &tangentes": the construction and its result.
    TangentCommands& Tangents() const { return *tangents_; }
    // "&Incertitudes...": the tolerances kept and every method's uncertainties.
    UncertaintyCommands& Uncertainties() const { return *uncertainty_; }

    // The last equivalence found by "&Point d'équivalence" (the steepest of them), until the
    // record changes.
    const std::optional<TitrationAnalysis::Equivalence>& LastEquivalence() const { return equivalence_; }
    // Every equivalence it found, in volume order.
    const std::vector<TitrationAnalysis::Equivalence>& LastJumps() const { return jumps_; }

    // After a press of the calibrate button: when it completed a calibration and did not have
    // to report equal voltages, the status bar shows the electrode check. `pressStatusMessage`
    // is what the press showed in the status bar (empty, or the equal-voltages message).
    void ShowElectrodeCheck(const ElectrodeCalibration& electrode, const QString& pressStatusMessage,
                            StoredCalibration::Board board);

public slots:
    // "&Dérivée dpH/dV".
    void DeriveeClick(bool shown);
    // "Dérivée &seconde".
    void DeriveeSecondeClick(bool shown);
    // "&Point d'équivalence".
    void PointEquivalenceClick();
    // "Copier les &résultats": the equivalence of the current points, then the concentration
    // when Cb and Va are known, then the method of tangents when it ran on these points, and
    // the last fit of a model, when one stands, as the last lines.
    void CopierResultatsClick();
    // "Enregistrer le &graphique...": PNG or SVG, after the name filter or the typed extension.
    void EnregistrerGraphiqueClick();

private:
    void ConnectRecord();
    void OnRecordChanged();
    void ScheduleDerivative();
    void OnViewChanged();
    void DrawDerivative();
    void EnsureDerivativeSeries();
    // Puts the right-hand axis and the shown derivatives on the chart, the others off it.
    void PlaceDerivatives();
    void FitRightAxis(double low, double high);
    void ShowMarks();
    void HideMark();
    void PlaceLabels();
    // The record's points in volume mode; throws ConvertError at an unreadable cell.
    QList<QPointF> ReadPoints() const;
    // Every equivalence of the record with its concentrations, the beaker's content as the
    // model says it.
    EquivalenceResults::Results ComputeResults() const;
    void WriteImage(const QString& path, bool svg);
    // Hands the uncertainties the methods' results.
    void ConnectUncertainties();

    MeasurementRecord& record_;
    RecordChart& chart_;
    StatusSetter status_;
    ModelCommands* model_;
    TangentCommands* tangents_;
    DistributionCommands* distributionCommands_;
    ConductimetryCommands* conductimetry_;
    MeasuredQuantity quantity_ = MeasuredQuantity::PH;
    QAction* domaines_ = nullptr;
    UncertaintyCommands* uncertainty_;
    FolderProvider dataFolder_;
    FileDialogRunner fileDialogRunner_;
    QuantitiesProvider quantities_;
    QTimer* redraw_;
    QMenu* menu_ = nullptr;
    QAction* derivee_ = nullptr;
    QAction* deriveeSeconde_ = nullptr;
    QAction* methodeTangentes_ = nullptr;
    QAction* pointEquivalence_ = nullptr;
    QAction* modeliser_ = nullptr;
    QAction* distribution_ = nullptr;
    QAction* distributionPH_ = nullptr;
    QAction* copierResultats_ = nullptr;
    QAction* enregistrerGraphique_ = nullptr;
    QAction* vueComplete_ = nullptr;
    QAction* reticule_ = nullptr;
    // Owned by the chart once added to it; QPointer because the chart may go first.
    QPointer<QLineSeries> derivative_;
    QPointer<QValueAxis> rightAxis_;
    QList<QPointer<QLineSeries>> marks_;
    QList<QPointer<QGraphicsTextItem>> labels_;  // children of the chart, one per mark
    QPointer<QLineSeries> secondDerivative_;
    QPointer<QLineSeries> zeroLine_;
    bool derivativeShown_ = false;
    bool secondShown_ = false;
    QList<QPointF> slopes_;  // the whole derivative; the series draws the visible part
    QList<QPointF> secondSlopes_;  // the whole second derivative
    std::optional<TitrationAnalysis::Equivalence> equivalence_;
    std::vector<TitrationAnalysis::Equivalence> jumps_;
};
