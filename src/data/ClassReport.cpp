#include "data/ClassReport.h"

#include "data/NumberText.h"

#include <algorithm>

namespace ClassReport {

namespace {

constexpr double kBodyPoints = 10.0;
constexpr double kTablePoints = 8.0;
constexpr double kLineMm = 5.5;
constexpr double kRowMm = 4.2;
constexpr double kFooterMm = 6.0;
constexpr double kHistogramMm = 85.0;

// Each column as wide as its longest text asks, in characters, then all scaled to the page.
QList<double> ColumnWidths(const Content& content, double width)
{
    QList<double> chars;
    for (const QString& header : content.headers)
        chars.append(std::max<qsizetype>(header.size(), 4) + 2);
    for (const QStringList& row : content.rows)
        for (qsizetype c = 0; c < std::min(row.size(), chars.size()); ++c)
            chars[c] = std::max(chars[c], static_cast<double>(row[c].size()) + 2);
    double total = 0.0;
    for (const double c : chars)
        total += c;
    QList<double> widths;
    for (const double c : chars)
        widths.append(total > 0.0 ? c / total * width : 0.0);
    return widths;
}

}  // namespace

QString Title()
{
    return QStringLiteral("Résultats de la classe");
}

Content Make(const QList<ReceivedMeasurements::Entry>& entries, const ClassStatistics::Statistics& statistics,
             const std::optional<ClassStatistics::ClassQuantities>& quantities, const QDateTime& printedAt)
{
    Content content;
    content.printedAt = printedAt;
    if (statistics.ofConcentration)
        content.quantities = quantities;
    content.summary = ClassStatistics::SummaryText(statistics);
    content.headers = ClassStatistics::StationHeaders(statistics);
    content.rows = ClassStatistics::StationRows(entries, statistics);
    return content;
}

QList<LabReport::Page> Layout(const Content& content, const QSizeF& areaMm)
{
    const double width = areaMm.width();
    const double bottom = areaMm.height() - kFooterMm;
    QList<LabReport::Page> pages(1);
    double y = 0.0;
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, 14.0), Title(), 16.0, true, Qt::AlignLeft | Qt::AlignTop));
    y += 15.0;
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, 5.0),
                         QStringLiteral("Imprimé le %1 à %2")
                             .arg(content.printedAt.toString(QStringLiteral("dd/MM/yyyy")),
                                  content.printedAt.toString(QStringLiteral("HH:mm"))),
                         8.5));
    y += 7.0;
    const QString cb = content.quantities ? NumberText::General(content.quantities->buretteMolPerL)
                                          : QStringLiteral("non précisée");
    const QString va = content.quantities ? NumberText::General(content.quantities->beakerVolumeMl)
                                          : QStringLiteral("non précisé");
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, kLineMm),
                         QStringLiteral("Concentration dans la burette, en mol/L : %1").arg(cb), kBodyPoints));
    y += kLineMm;
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, kLineMm), QStringLiteral("Volume dans le bécher, en mL : %1").arg(va),
                         kBodyPoints));
    y += kLineMm + 3.0;
    LabReport::Item histogram;
    histogram.kind = LabReport::Item::Kind::Chart;
    histogram.rect = QRectF(0, y, width, kHistogramMm);
    pages[0].append(histogram);
    y += kHistogramMm + 4.0;
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, 7.0), QStringLiteral("Résultats"), 11.0, true));
    y += 8.0;
    pages[0].append(LabReport::TextItem(QRectF(0, y, width, 2 * kLineMm), content.summary, kBodyPoints, false,
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap));
    y += 2 * kLineMm + 3.0;

    // The table, its header again at the top of every page it goes on to.
    const QList<double> widths = ColumnWidths(content, width);
    const auto header = [&](LabReport::Page& page, double at) {
        double x = 0.0;
        for (qsizetype c = 0; c < content.headers.size(); ++c) {
            page.append(LabReport::TextItem(QRectF(x, at, widths[c], kRowMm + 0.5), content.headers[c], kTablePoints, true));
            x += widths[c];
        }
        page.append(LabReport::RuleItem(at + kRowMm + 0.8, 0, width));
        return at + kRowMm + 1.5;
    };
    y = header(pages.back(), y);
    for (const QStringList& row : content.rows) {
        if (y + kRowMm > bottom) {
            pages.append(LabReport::Page());
            y = header(pages.back(), 0.0);
        }
        double x = 0.0;
        for (qsizetype c = 0; c < std::min(row.size(), widths.size()); ++c) {
            pages.back().append(LabReport::TextItem(QRectF(x, y, widths[c], kRowMm), row[c], kTablePoints));
            x += widths[c];
        }
        y += kRowMm;
    }
    LabReport::NumberPages(pages, areaMm);
    return pages;
}

void WritePdf(const QString& path, const Content& content, const LabReport::ChartPainter& histogram)
{
    LabReport::WritePdf(path, Title(), [&](const QSizeF& area) { return Layout(content, area); }, histogram);
}

}  // namespace ClassReport
