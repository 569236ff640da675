#include "report/ReportCommands.h"

#include "data/EquivalenceResults.h"
#include "data/MeasurementRecord.h"
#include "data/PointTableExport.h"
#include "data/WholeFile.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/FileDialogRunner.h"
#include "window/RecordChart.h"

#include <QBuffer>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>
#include <stdexcept>

namespace {

// The chart is laid out this wide for the page, whatever its size on screen, so that its texts
// keep about the size they have on screen relative to a 180 mm wide picture.
constexpr double kChartLayoutWidth = 720.0;

}  // namespace

ReportCommands::ReportCommands(MeasurementRecord& record, RecordChart& chart, QObject* parent)
    : QObject(parent)
    , record_(record)
    , chart_(chart)
    , comment_([] { return QString(); })
    , quantities_([] { return HeaderValues(); })
    , beakerContent_([] { return TitrationConcentration::Content::OneSpecies; })
    , dataFolder_([] { return QDir::currentPath(); })
    , fileDialogRunner_(RunFileDialog)
    , printDialogRunner_([](QPrintDialog& dialog) { return dialog.exec() == QDialog::Accepted; })
{
}

LabReport::Content ReportCommands::Content() const
{
    LabReport::Content content;
    content.comment = comment_();
    content.printedAt = QDateTime::currentDateTime();
    content.quantities = quantities_();
    content.table = PointTableExport::FromRecord(record_);
    // The table above has read every volume: the points are complete. During a run there are
    // no volumes yet, hence no results.
    if (!record_.TimeMode() && MeasuredQuantities::IsConductivity(content.quantities.quantity)) {
        if (conductimetricLines_)
            content.results = conductimetricLines_();
        if (uncertaintyLines_ && !content.results.isEmpty())
            content.results += uncertaintyLines_();
        return content;
    }
    if (!record_.TimeMode())
        content.results = EquivalenceResults::ReportLines(
            EquivalenceResults::Find(record_.VolumePoints(), beakerContent_(), content.quantities));
    if (uncertaintyLines_)
        content.results += uncertaintyLines_();
    if (tangentLines_)
        content.results += tangentLines_();
    if (modelLines_)
        content.results += modelLines_();
    return content;
}

void ReportCommands::PaintChart(QPainter& painter, const QRectF& target)
{
    if (target.isEmpty())
        return;
    QChart* chart = chart_.chart();
    const QSizeF shown = chart->size();
    const QChart::AnimationOptions animations = chart->animationOptions();
    const bool background = chart->isBackgroundVisible();
    const QSizeF laidOut(kChartLayoutWidth, kChartLayoutWidth * target.height() / target.width());
    // Still pictures, on the paper's white; everything is as it was once drawn.
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundVisible(false);
    chart->resize(laidOut);
    if (QGraphicsLayout* layout = chart->layout())
        layout->activate();
    // Rendering the scene keeps every series, axis and mark as vectors and text.
    chart_.scene()->render(&painter, target, QRectF(chart->pos(), laidOut), Qt::KeepAspectRatio);
    chart->resize(shown);
    if (QGraphicsLayout* layout = chart->layout())
        layout->activate();
    chart->setBackgroundVisible(background);
    chart->setAnimationOptions(animations);
}

void ReportCommands::Imprimer1Click()
{
    const LabReport::Content content = Content();
    QPrinter printer(QPrinter::HighResolution);
    LabReport::SetUpPage(printer);
    printer.setDocName(LabReport::Title(content.comment));
    QPrintDialog dialog(&printer, chart_.window());
    if (!printDialogRunner_(dialog))
        return;
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error(QStringLiteral("Impossible d'imprimer : l'imprimante n'a pas pu être ouverte")
                                     .toStdString());
    LabReport::Paint(painter, printer, LabReport::Layout(content, LabReport::AreaMm(printer)),
                     [this](QPainter& p, const QRectF& target) { PaintChart(p, target); });
    if (!painter.end())
        throw std::runtime_error(QStringLiteral("Impossible d'imprimer le rapport").toStdString());
    // Without a print server the dialog offers only a PDF file; the journal names where it went.
    const QString destination = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    qCInfo(lcApp).noquote() << QStringLiteral("Rapport imprimé sur %1").arg(destination);
}

QString ReportCommands::AskPath(const QString& title, const QString& filter, const QString& suffix)
{
    QFileDialog dialog(chart_.window());
    dialog.setWindowTitle(title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(dataFolder_());
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    // The standard dialog asks before replacing an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    return fileDialogRunner_(dialog);
}

void ReportCommands::ExporterenPDF1Click()
{
    // An unreadable cell is reported before any dialog.
    const LabReport::Content content = Content();
    const QString path = AskPath(QStringLiteral("Exportation du rapport en PDF"),
                                 QStringLiteral("Documents PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    LabReport::WritePdf(path, content, [this](QPainter& p, const QRectF& target) { PaintChart(p, target); });
    qCInfo(lcApp).noquote() << QStringLiteral("Rapport enregistré : %1 (%2 points)")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(record_.PointCount());
}

void ReportCommands::Exporterletableau1Click()
{
    const QByteArray bytes = PointTableExport::CsvBytes(PointTableExport::FromRecord(record_),
                                                        uncertaintyTable_ ? uncertaintyTable_() : QString());
    const QString path = AskPath(QStringLiteral("Exportation du tableau pour un tableur"),
                                 QStringLiteral("Fichiers CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    WholeFile::Write(path, bytes);
    qCInfo(lcApp).noquote() << QStringLiteral("Tableau enregistré : %1 (%2 points)")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(record_.PointCount());
}

void ReportCommands::Copierlegraphique1Click()
{
    // An axis added since the last repaint is laid out on the next one; the image needs it now.
    if (QGraphicsLayout* layout = chart_.chart()->layout())
        layout->activate();
    // At the screen's pixel density: twice the size on a high-density screen.
    const QImage image = chart_.grab().toImage();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto data = std::make_unique<QMimeData>();
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), png);
    // The clipboard takes ownership of the mime data.
    QGuiApplication::clipboard()->setMimeData(data.release());
}
