#pragma once

#include "data/HeaderValues.h"
#include "data/PointTableExport.h"
#include "data/TitrationAnalysis.h"

#include <QDateTime>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPainter;

// The lab report a student hands in, on A4 portrait: page 1 holds the title, the date of
// printing, the three quantities, the chart and the results; the table of points follows in
// columns on as many pages as it needs, every page numbered. The layout is computed from plain
// data in millimetres, so it is known before any printer or file is involved.
namespace LabReport {

struct Content {
    QString comment;  // the title; "Titrage" when empty
    QDateTime printedAt;
    HeaderValues quantities;  // as typed
    QStringList results;      // empty when no equivalence was found
    PointTableExport::Table table;
};

// One thing drawn on a page, placed in millimetres from the top left corner of the printable
// area. The chart's place is left to the chart itself.
struct Item {
    enum class Kind { Text, Chart, Rule };
    Kind kind = Kind::Text;
    QRectF rect;
    QString text;
    double points = 10.0;  // font size
    bool bold = false;
    int flags = 0;  // Qt::AlignmentFlag | Qt::TextFlag
};
using Page = QList<Item>;

// A text in its rectangle, and a rule at height y from x0 to x1 (millimetres of the page).
Item TextItem(const QRectF& rect, const QString& text, double points, bool bold = false,
              int flags = Qt::AlignLeft | Qt::AlignVCenter);
Item RuleItem(double y, double x0, double x1);

// Draws the chart, as vectors, into a rectangle in the painter's device coordinates.
using ChartPainter = std::function<void(QPainter&, const QRectF&)>;

inline constexpr double kMarginMm = 15.0;
inline constexpr double kRowHeightMm = 4.5;
inline constexpr double kColumnBlockMm = 45.0;  // one volume column and one pH column

QString Title(const QString& comment);  // the comment, or "Titrage"

// "Volume à l'équivalence : Ve = 20,03 mL", the pH at Ve and at Ve/2, then Ca when known.
QStringList ResultLines(const TitrationAnalysis::Equivalence& found, const std::optional<double>& ca);

// The pages for a printable area of `areaMm`.
QList<Page> Layout(const Content& content, const QSizeF& areaMm);

// "Page 1 / 3" at the foot of every page.
void NumberPages(QList<Page>& pages, const QSizeF& areaMm);

// The printable area of a device set up for the report, in millimetres.
QSizeF AreaMm(const QPagedPaintDevice& device);
// A4 portrait with the report's margins.
void SetUpPage(QPagedPaintDevice& device);

// Paints the pages on a device whose painter is active (a printer or a PDF writer); a new page
// is started between pages.
void Paint(QPainter& painter, QPagedPaintDevice& device, const QList<Page>& pages, const ChartPainter& chart);

// Writes the report as a PDF file through a temporary file: a failure leaves no half file and
// throws FileError.
void WritePdf(const QString& path, const Content& content, const ChartPainter& chart);
// The same for pages that `layout` gives for the printable area, in the report's page setup.
void WritePdf(const QString& path, const QString& title, const std::function<QList<Page>(const QSizeF&)>& layout,
              const ChartPainter& chart);

}  // namespace LabReport
