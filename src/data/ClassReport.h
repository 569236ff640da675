#pragma once

#include "data/ClassStatistics.h"
#include "data/LabReport.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// "Rapport de classe": the class's results on A4 pages laid out as the lab report is (same
// margins, fonts, page numbers, painter): the title, the date, the class's Cb and Va, the
// histogram where the lab report has its chart, the summary, then the station's table.
namespace ClassReport {

struct Content {
    QDateTime printedAt;
    std::optional<ClassStatistics::ClassQuantities> quantities;
    QString summary;  // ClassStatistics::SummaryText
    QStringList headers;
    QList<QStringList> rows;  // as the station lists them
};

QString Title();  // "Résultats de la classe"

Content Make(const QList<ReceivedMeasurements::Entry>& entries, const ClassStatistics::Statistics& statistics,
             const std::optional<ClassStatistics::ClassQuantities>& quantities, const QDateTime& printedAt);

QList<LabReport::Page> Layout(const Content& content, const QSizeF& areaMm);

// Through a temporary file, as the lab report; throws FileError.
void WritePdf(const QString& path, const Content& content, const LabReport::ChartPainter& histogram);

}  // namespace ClassReport
