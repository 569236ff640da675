#pragma once

#include "data/HeaderValues.h"
#include "data/TitrationConcentration.h"
#include "data/LabReport.h"
#include "support/FileDialogRunner.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class MeasurementRecord;
class QFileDialog;
class QPainter;
class QPrintDialog;
class QRectF;
class RecordChart;

// The lab report's commands: "&Imprimer...", "Exporter en P&DF...", "Exporter le &tableau
// (CSV)..." and "Copier le &graphique". Gathers the plain content of the report (the comment,
// the quantities, the results, the table) and lends the chart to the page; the layout and the
// files are LabReport's and PointTableExport's. Failures are thrown to the application's error
// box.
class ReportCommands : public QObject {
    Q_OBJECT

public:
    using TextProvider = std::function<QString()>;
    using QuantitiesProvider = std::function<HeaderValues()>;
    using LinesProvider = std::function<QStringList()>;
    using ContentProvider = std::function<TitrationConcentration::Content()>;
    // Shows the print dialog and answers whether to print.
    using PrintDialogRunner = std::function<bool(QPrintDialog&)>;

    // On a record and its chart; the comment is empty, the quantities unconfirmed and the data
    // folder the working folder until set.
    ReportCommands(MeasurementRecord& record, RecordChart& chart, QObject* parent = nullptr);

    void SetComment(TextProvider comment) { comment_ = std::move(comment); }
    void SetQuantities(QuantitiesProvider quantities) { quantities_ = std::move(quantities); }
    // What the beaker holds, for the concentrations of several equivalences; one species until set.
    void SetBeakerContent(ContentProvider content) { beakerContent_ = std::move(content); }
    // Lines printed after the equivalence results: the method of tangents when it ran, then
    // the fitted model, when one stands.
    void SetTangentLines(LinesProvider lines) { tangentLines_ = std::move(lines); }
    void SetModelLines(LinesProvider lines) { modelLines_ = std::move(lines); }
    // A conductivity record's results, printed in the place of the pH's.
    void SetConductimetricLines(LinesProvider lines) { conductimetricLines_ = std::move(lines); }
    // The uncertainties: printed after the concentration, and in the spreadsheet file after the
    // table (caption TAB value CR per line, as they are copied).
    void SetUncertaintyLines(LinesProvider lines) { uncertaintyLines_ = std::move(lines); }
    void SetUncertaintyTable(TextProvider lines) { uncertaintyTable_ = std::move(lines); }
    void SetDataFolder(TextProvider folder) { dataFolder_ = std::move(folder); }
    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    void SetPrintDialogRunner(PrintDialogRunner runner) { printDialogRunner_ = std::move(runner); }

    // The report as it would be printed now. Throws ConvertError at an unreadable cell.
    LabReport::Content Content() const;
    // Draws Chart1 as vectors into `target`, laid out at the target's proportions.
    void PaintChart(QPainter& painter, const QRectF& target);

public slots:
    void Imprimer1Click();
    void ExporterenPDF1Click();
    void Exporterletableau1Click();
    void Copierlegraphique1Click();

private:
    QString AskPath(const QString& title, const QString& filter, const QString& suffix);

    MeasurementRecord& record_;
    RecordChart& chart_;
    TextProvider comment_;
    QuantitiesProvider quantities_;
    ContentProvider beakerContent_;
    LinesProvider tangentLines_;
    LinesProvider modelLines_;
    LinesProvider conductimetricLines_;
    LinesProvider uncertaintyLines_;
    TextProvider uncertaintyTable_;
    TextProvider dataFolder_;
    FileDialogRunner fileDialogRunner_;
    PrintDialogRunner printDialogRunner_;
};
