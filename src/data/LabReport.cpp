#include "data/LabReport.h"

#include "data/NumberText.h"
#include "data/TitrationConcentration.h"
#include "data/WholeFile.h"

#include <QFont>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace LabReport {

namespace {

constexpr double kTitlePoints = 16.0;
constexpr double kBodyPoints = 10.0;
constexpr double kSmallPoints = 8.5;
constexpr double kLineMm = 5.5;
constexpr double kFooterMm = 6.0;
constexpr double kChartHeightMm = 150.0;
constexpr double kTableTopMm = 16.0;

QString Quantity(const QString& caption, const QString& value, const QString& missing)
{
    const QString shown = value.trimmed().isEmpty() ? missing : value;
    return QStringLiteral("%1 : %2").arg(caption, shown);
}

QString TwoDecimals(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

Page FirstPage(const Content& content, const QSizeF& area)
{
    const double width = area.width();
    Page page;
    double y = 0.0;
    page.append(TextItem(QRectF(0, y, width, 14.0), Title(content.comment), kTitlePoints, true,
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap));
    y += 15.0;
    page.append(TextItem(QRectF(0, y, width, 5.0),
                     QStringLiteral("Imprimé le %1 à %2")
                         .arg(content.printedAt.toString(QStringLiteral("dd/MM/yyyy")),
                              content.printedAt.toString(QStringLiteral("HH:mm"))),
                     kSmallPoints));
    y += 7.0;
    const HeaderValues& q = content.quantities;
    const QString missing = QStringLiteral("non précisé");
    for (const QString& line :
         {Quantity(QStringLiteral("Concentration dans le bécher, en mol/L"), q.beakerConcentration, missing),
          Quantity(QStringLiteral("Concentration dans la burette, en mol/L"), q.buretteConcentration, missing),
          Quantity(QStringLiteral("Volume dans le bécher, en L"), q.beakerVolume, missing)}) {
        page.append(TextItem(QRectF(0, y, width, kLineMm), line, kBodyPoints));
        y += kLineMm;
    }
    y += 3.0;
    // The chart takes what the results and the footer leave, up to its designed height.
    const double resultsMm = content.results.isEmpty() ? 0.0 : 8.0 + kLineMm * content.results.size();
    const double chartHeight = std::clamp(area.height() - kFooterMm - resultsMm - y - 4.0, 40.0, kChartHeightMm);
    Item chart;
    chart.kind = Item::Kind::Chart;
    chart.rect = QRectF(0, y, width, chartHeight);
    page.append(chart);
    y += chartHeight + 4.0;
    if (!content.results.isEmpty()) {
        page.append(TextItem(QRectF(0, y, width, 7.0), QStringLiteral("Résultats"), 11.0, true));
        y += 8.0;
        for (const QString& line : content.results) {
            page.append(TextItem(QRectF(0, y, width, kLineMm), line, kBodyPoints));
            y += kLineMm;
        }
    }
    return page;
}

QList<Page> TablePages(const PointTableExport::Table& table, const QSizeF& area)
{
    QList<Page> pages;
    const int blocks = std::max(1, static_cast<int>(area.width() / kColumnBlockMm));
    const int rowsPerColumn
        = std::max(1, static_cast<int>((area.height() - kFooterMm - kTableTopMm) / kRowHeightMm));
    const int rowsPerPage = blocks * rowsPerColumn;
    const int rowCount = static_cast<int>(table.rows.size());
    const double xWidth = kColumnBlockMm * 0.55;
    const double pHWidth = kColumnBlockMm * 0.35;
    for (int first = 0; first < rowCount; first += rowsPerPage) {
        Page page;
        page.append(TextItem(QRectF(0, 0, area.width(), 8.0), QStringLiteral("Tableau des mesures"), 12.0, true));
        const int onPage = std::min(rowsPerPage, rowCount - first);
        const int usedBlocks = (onPage + rowsPerColumn - 1) / rowsPerColumn;
        for (int b = 0; b < usedBlocks; ++b) {
            const double x = b * kColumnBlockMm;
            const int right = Qt::AlignRight | Qt::AlignVCenter;
            page.append(TextItem(QRectF(x, 10.0, xWidth, 5.0), table.xCaption, 9.0, true, right));
            page.append(TextItem(QRectF(x + xWidth, 10.0, pHWidth, 5.0), table.pHCaption, 9.0, true, right));
            page.append(RuleItem(kTableTopMm - 0.5, x, x + xWidth + pHWidth));
            for (int i = 0; i < rowsPerColumn; ++i) {
                const int row = first + b * rowsPerColumn + i;
                if (row >= first + onPage)
                    break;
                const double y = kTableTopMm + i * kRowHeightMm;
                page.append(TextItem(QRectF(x, y, xWidth, kRowHeightMm), table.rows[row].first, 9.0, false, right));
                page.append(TextItem(QRectF(x + xWidth, y, pHWidth, kRowHeightMm), table.rows[row].second, 9.0, false,
                                 right));
            }
        }
        pages.append(page);
    }
    return pages;
}

QFont ReportFont(double points, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

Item TextItem(const QRectF& rect, const QString& text, double points, bool bold, int flags)
{
    Item item;
    item.rect = rect;
    item.text = text;
    item.points = points;
    item.bold = bold;
    item.flags = flags;
    return item;
}

Item RuleItem(double y, double x0, double x1)
{
    Item item;
    item.kind = Item::Kind::Rule;
    item.rect = QRectF(QPointF(x0, y), QPointF(x1, y));
    return item;
}

QString Title(const QString& comment)
{
    return comment.trimmed().isEmpty() ? QStringLiteral("Titrage") : comment;
}

QStringList ResultLines(const TitrationAnalysis::Equivalence& found, const std::optional<double>& ca)
{
    QStringList lines;
    lines << QStringLiteral("Volume à l'équivalence : Ve = %1 mL").arg(TwoDecimals(found.volumeMl));
    lines << QStringLiteral("pH à l'équivalence : %1").arg(TwoDecimals(found.pH));
    if (found.halfVolumePH)
        lines << QStringLiteral("pH à la demi-équivalence : %1").arg(TwoDecimals(*found.halfVolumePH));
    if (ca)
        lines << QStringLiteral("Concentration dans le bécher : Ca = %1 mol/L")
                     .arg(TitrationConcentration::StudentForm(*ca));
    return lines;
}

QList<Page> Layout(const Content& content, const QSizeF& areaMm)
{
    QList<Page> pages{FirstPage(content, areaMm)};
    pages += TablePages(content.table, areaMm);
    NumberPages(pages, areaMm);
    return pages;
}

void NumberPages(QList<Page>& pages, const QSizeF& areaMm)
{
    const int count = static_cast<int>(pages.size());
    for (int i = 0; i < count; ++i)
        pages[i].append(TextItem(QRectF(0, areaMm.height() - kFooterMm + 1.0, areaMm.width(), kFooterMm - 1.0),
                             QStringLiteral("Page %1 / %2").arg(i + 1).arg(count), kSmallPoints, false,
                             Qt::AlignHCenter | Qt::AlignBottom));
}

QSizeF AreaMm(const QPagedPaintDevice& device)
{
    return device.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

void SetUpPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
}

void Paint(QPainter& painter, QPagedPaintDevice& device, const QList<Page>& pages, const ChartPainter& chart)
{
    const QSizeF area = AreaMm(device);
    // Device pixels per millimetre: the painter works in the device's own units so that the
    // fonts' point sizes and the chart's pens come out at their real size.
    const double scale = area.width() > 0 ? device.width() / area.width() : 1.0;
    auto toDevice = [scale](const QRectF& mm) {
        return QRectF(mm.x() * scale, mm.y() * scale, mm.width() * scale, mm.height() * scale);
    };
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            device.newPage();
        for (const Item& item : pages[p]) {
            switch (item.kind) {
            case Item::Kind::Text:
                painter.setPen(Qt::black);
                painter.setFont(ReportFont(item.points, item.bold));
                painter.drawText(toDevice(item.rect), item.flags, item.text);
                break;
            case Item::Kind::Rule:
                painter.setPen(QPen(Qt::black, 0.2 * scale));
                painter.drawLine(toDevice(item.rect).topLeft(), toDevice(item.rect).bottomRight());
                break;
            case Item::Kind::Chart:
                if (chart) {
                    painter.save();
                    chart(painter, toDevice(item.rect));
                    painter.restore();
                }
                break;
            }
        }
    }
}

void WritePdf(const QString& path, const Content& content, const ChartPainter& chart)
{
    WritePdf(path, Title(content.comment), [&](const QSizeF& area) { return Layout(content, area); }, chart);
}

void WritePdf(const QString& path, const QString& title, const std::function<QList<Page>(const QSizeF&)>& layout,
              const ChartPainter& chart)
{
    WholeFile::Write(path, [&](QIODevice& device) {
        QPdfWriter writer(&device);
        SetUpPage(writer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorin"));
        QPainter painter;
        if (!painter.begin(&writer))
            return QStringLiteral("le document n'a pas pu être produit");
        Paint(painter, writer, layout(AreaMm(writer)), chart);
        // The writer's last bytes go out as the painting ends.
        return painter.end() ? QString() : QStringLiteral("le document n'a pas pu être produit");
    });
}

}  // namespace LabReport
