#pragma once

#include "chemistry/MixtureFit.h"
#include "data/HeaderValues.h"
#include "data/TitrationConcentration.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class MeasurementRecord;
class ModelDialog;
class QDialog;
class QLineSeries;
class RecordChart;

// "&Modéliser...": the model dialog, the model's curve drawn on Chart1 over the record (dashed,
// named in the legend, on the record's axes) and the last fit, which "Copier les résultats"
// appends. The chemistry and the fit are MixtureFit's; this class reads the record and the
// dialog and writes the chart, the dialog's outcome line and the status bar. The dialog opens on
// the simple model that describes the curve best (ModelChoice), once per record. A change of the
// record takes the curve and the fit away: they belonged to the points they were drawn on.
class ModelCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    using HeaderProvider = std::function<HeaderValues()>;
    using ModalRunner = std::function<void(QDialog&)>;

    ModelCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, QObject* parent = nullptr);

    // The comment dialog's quantities, read each time the dialog opens.
    void SetHeaderValues(HeaderProvider provider) { headerValues_ = std::move(provider); }
    void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }

    // Created on first use, parented to the chart's window.
    ModelDialog& Dialog();
    // The drawn model; null until a model was first drawn.
    QLineSeries* ModelSeries() const;
    bool ModelShown() const;
    const std::optional<MixtureFit::Result>& LastFit() const { return fit_; }
    // The model on the chart, fitted or only drawn; empty when none is.
    const std::optional<MixtureFit::Model>& ShownModel() const { return shown_; }
    // A mixture when the model on the chart holds two species: each then takes its own step's
    // concentration; one species otherwise, whatever its acidities.
    TitrationConcentration::Content BeakerContent() const;
    // The last fit's lines for the clipboard and for the lab report; empty when no fit stands.
    QString ClipboardLines() const;
    QStringList ReportLines() const;

signals:
    // The model on the chart changed, or went.
    void ModelChanged();

public slots:
    // "&Modéliser...": fills Ca, Cb and Va from the comment's quantities, proposes the model the
    // curve suggests and shows the dialog.
    void ModeliserClick();
    // "&Tracer": draws the dialog's model; a previous fit no longer stands.
    void TracerClick();
    // "&Ajuster": fits the ticked parameters to the record's points and draws the result. A
    // refusal leaves the drawn model and the last fit as they were.
    void AjusterClick();

private:
    void OnRecordChanged();
    void Suggest();
    void Refuse(const QString& reason);
    // The record's points (mL, pH); empty with `refusal` set during a run or at an unreadable cell.
    std::optional<QList<QPointF>> RecordPoints(QString& refusal) const;
    void Draw(const MixtureFit::Model& model, const QList<QPointF>& points);
    void Hide();

    MeasurementRecord& record_;
    RecordChart& chart_;
    StatusSetter status_;
    HeaderProvider headerValues_;
    ModalRunner modalRunner_;
    QPointer<ModelDialog> dialog_;
    // Owned by the chart once added to it; QPointer because the chart may go first.
    QPointer<QLineSeries> series_;
    std::optional<MixtureFit::Result> fit_;
    std::optional<MixtureFit::Model> shown_;
    // The record changed since the dialog last proposed a model.
    bool suggestionDue_ = true;
};
