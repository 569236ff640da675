#pragma once

#include "chemistry/TitrationFit.h"
#include "data/HeaderValues.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class MeasurementRecord;
class ModelDialog;
class QDialog;
class QLineSeries;
class RecordChart;

// "&Modéliser...": the model dialog, the model's curve drawn on Chart1 over the record (dashed,
// named in the legend, on the record's axes) and the last fit, which "Copier les résultats"
// appends. The chemistry and the fit are TitrationFit's; this class reads the record and the
// dialog and writes the chart, the dialog's outcome line and the status bar. A change of the
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
    const std::optional<TitrationFit::Result>& LastFit() const { return fit_; }
    // The last fit's lines for the clipboard; empty when no fit stands.
    QString ClipboardLines() const;


public slots:
    // "&Modéliser...": fills Ca, Cb and Va from the comment's quantities and shows the dialog.
    void ModeliserClick();
    // "&Tracer": draws the dialog's model; a previous fit no longer stands.
    void TracerClick();
    // "&Ajuster": fits the ticked parameters to the record's points and draws the result. A
    // refusal leaves the drawn model and the last fit as they were.
    void AjusterClick();

private:
    void OnRecordChanged();
    void Refuse(const QString& reason);
    // The record's points (mL, pH); empty with `refusal` set during a run or at an unreadable cell.
    std::optional<QList<QPointF>> RecordPoints(QString& refusal) const;
    void Draw(const TitrationFit::Model& model, const QList<QPointF>& points);
    void Hide();

    MeasurementRecord& record_;
    RecordChart& chart_;
    StatusSetter status_;
    HeaderProvider headerValues_;
    ModalRunner modalRunner_;
    QPointer<ModelDialog> dialog_;
    // Owned by the chart once added to it; QPointer because the chart may go first.
    QPointer<QLineSeries> series_;
    std::optional<TitrationFit::Result> fit_;
};
