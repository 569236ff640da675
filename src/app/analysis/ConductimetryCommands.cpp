#include "analysis/ConductimetryCommands.h"

#include "data/NumberText.h"
#include "data/TitrationConcentration.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QChart>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor kCorrectedColour(230, 120, 0);
const QColor kLinesColour(0, 0, 200);
const QColor kMarkColour(150, 0, 150);

QString Ml(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

std::optional<double> ReadMl(const QLineEdit* field)
{
    QString text = field->text().trimmed();
    text.replace(QLatin1Char('.'), NumberText::kDecimalSeparator);
    double value = 0.0;
    if (!NumberText::TryParse(text, value) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

ConductimetryCommands::ConductimetryCommands(RecordChart& chart, StatusSetter status, PointsReader points,
                                             QObject* parent)
    : QObject(parent)
    , chart_(chart)
    , status_(std::move(status))
    , points_(std::move(points))
    , dialogRunner_([](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; })
{
}

std::optional<double> ConductimetryCommands::VaMl() const
{
    return quantities_ ? ConductimetricAnalysis::BeakerVolumeMl(quantities_()) : std::nullopt;
}

QString ConductimetryCommands::Unit() const
{
    return MeasuredQuantities::Unit(quantities_ ? quantities_().quantity : MeasuredQuantity::ConductivityMilliSiemens);
}

void ConductimetryCommands::SetRanges(std::optional<Ranges> ranges)
{
    ranges_ = std::move(ranges);
}

ConductimetricAnalysis::Outcome ConductimetryCommands::Compute() const
{
    const QList<QPointF> points = points_();
    if (ranges_)
        return ConductimetricAnalysis::Analyse(points, VaMl(), ranges_->first, ranges_->second);
    return ConductimetricAnalysis::Analyse(points, VaMl());
}

void ConductimetryCommands::PointEquivalenceClick()
{
    const ConductimetricAnalysis::Outcome outcome = Compute();
    last_ = outcome.result;
    if (!outcome.result) {
        Clear();
        status_(outcome.refusal);
        return;
    }
    const ConductimetricAnalysis::Result& r = *outcome.result;
    QString text = ConductimetricAnalysis::ResultText(r)
        + QStringLiteral(" ; u(Ve) = %1 mL").arg(NumberText::Fixed(r.standardUncertaintyMl, 2, 2));
    text += TitrationConcentration::StatusSuffix(
        quantities_ ? TitrationConcentration::BeakerConcentration(r.volumeMl, quantities_()) : std::nullopt);
    status_(text);
    Draw(r, points_());
}

QString ConductimetryCommands::ClipboardLines()
{
    const ConductimetricAnalysis::Outcome outcome = Compute();
    if (!outcome.result) {
        status_(outcome.refusal);
        return QString();
    }
    QString text = ConductimetricAnalysis::ClipboardResults(*outcome.result, Unit());
    if (const auto ca = quantities_ ? TitrationConcentration::BeakerConcentration(outcome.result->volumeMl, quantities_())
                                    : std::nullopt)
        text += TitrationConcentration::ClipboardLine(*ca);
    return text;
}

QStringList ConductimetryCommands::ReportLines() const
{
    const ConductimetricAnalysis::Outcome outcome = Compute();
    if (!outcome.result)
        return {outcome.refusal};
    const ConductimetricAnalysis::Result& r = *outcome.result;
    QStringList lines{ConductimetricAnalysis::ResultText(r),
                      QStringLiteral("Incertitude-type de l'intersection : u(Ve) = %1 mL")
                          .arg(NumberText::Fixed(r.standardUncertaintyMl, 2, 2))};
    if (const auto ca = quantities_ ? TitrationConcentration::BeakerConcentration(r.volumeMl, quantities_()) : std::nullopt)
        lines << QStringLiteral("Concentration dans le bécher : Ca = %1 mol/L").arg(TitrationConcentration::StudentForm(*ca));
    lines << QStringLiteral("Droites ajustées sur les points de %1 à %2 mL et de %3 à %4 mL%5")
                 .arg(Ml(r.beforeRange.fromMl), Ml(r.beforeRange.toMl), Ml(r.afterRange.fromMl), Ml(r.afterRange.toMl),
                      ranges_ ? QStringLiteral(" (domaines choisis)") : QString());
    lines << (r.dilutionCorrected ? QStringLiteral("Conductivité corrigée de la dilution : σ' = σ × (Va + V) / Va")
                                  : ConductimetricAnalysis::UncorrectedText());
    return lines;
}

void ConductimetryCommands::Place(QLineSeries* series, bool shown)
{
    QChart* chart = chart_.chart();
    const bool there = chart->series().contains(series);
    if (shown && !there) {
        chart->addSeries(series);
        series->attachAxis(chart_.BottomAxis());
        series->attachAxis(chart_.LeftAxis());
    } else if (!shown && there) {
        chart->removeSeries(series);
        series->setParent(this);
    }
}

void ConductimetryCommands::Draw(const ConductimetricAnalysis::Result& r, const QList<QPointF>& points)
{
    const auto make = [this](QPointer<QLineSeries>& series, const QString& name, const QPen& pen) {
        if (!series) {
            series = new QLineSeries(this);
            series->setObjectName(name);
            series->setPen(pen);
        }
    };
    make(corrected_, QStringLiteral("SerieCorrigeeDilution"), QPen(kCorrectedColour, 1.5));
    // Dashed: the corrected points they are fitted on show through.
    make(before_, QStringLiteral("DroiteAvantEquivalence"), QPen(kLinesColour, 1.2, Qt::DashLine));
    make(after_, QStringLiteral("DroiteApresEquivalence"), QPen(kLinesColour, 1.2, Qt::DashLine));
    make(mark_, QStringLiteral("MarqueEquivalenceConductimetrie"), QPen(kMarkColour, 1.5, Qt::DashLine));
    corrected_->setName(QStringLiteral("corrigée de la dilution"));

    double low = r.volumeMl;
    double high = r.volumeMl;
    for (const QPointF& p : points) {
        low = std::min(low, p.x());
        high = std::max(high, p.x());
    }
    QList<QPointF> shown = points;
    std::stable_sort(shown.begin(), shown.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    const std::optional<double> va = VaMl();
    if (r.dilutionCorrected && va)
        shown = ConductimetricAnalysis::DilutionCorrected(shown, *va);
    corrected_->replace(r.dilutionCorrected ? shown : QList<QPointF>());
    // Each line runs a little past the intersection, so that the crossing shows.
    const double reach = 0.15 * (high - low);
    before_->replace({QPointF(low, r.before.At(low)), QPointF(r.volumeMl + reach, r.before.At(r.volumeMl + reach))});
    after_->replace({QPointF(r.volumeMl - reach, r.after.At(r.volumeMl - reach)), QPointF(high, r.after.At(high))});

    Place(corrected_, r.dilutionCorrected);
    Place(before_, true);
    Place(after_, true);
    Place(mark_, true);
    // The corrected curve and the lines may rise above the measured points.
    double top = chart_.LeftAxis()->max();
    for (const QPointF& p : shown)
        top = std::max(top, p.y() * 1.05);
    for (double y : {before_->at(0).y(), before_->at(1).y(), after_->at(0).y(), after_->at(1).y()})
        top = std::max(top, std::min(y, 2.0 * chart_.LeftAxis()->max()));
    chart_.LeftAxis()->setMax(top);
    mark_->replace({QPointF(r.volumeMl, chart_.LeftAxis()->min()), QPointF(r.volumeMl, top)});
    RecordChart::TidyLegend(chart_.chart());

    if (!uncorrected_) {
        uncorrected_ = new QGraphicsSimpleTextItem(chart_.chart());
        uncorrected_->setBrush(kMarkColour);
    }
    // On two lines: the designed chart is narrow.
    uncorrected_->setText(ConductimetricAnalysis::UncorrectedText().replace(QStringLiteral(" : "), QStringLiteral(" :\n")));
    uncorrected_->setPos(chart_.chart()->plotArea().topLeft() + QPointF(6, 4));
    uncorrected_->setVisible(!r.dilutionCorrected);
}

void ConductimetryCommands::Clear()
{
    last_.reset();
    for (QLineSeries* series : {corrected_.data(), before_.data(), after_.data(), mark_.data()})
        if (series)
            Place(series, false);
    if (uncorrected_)
        uncorrected_->setVisible(false);
    RecordChart::TidyLegend(chart_.chart());
}

void ConductimetryCommands::DomainesClick()
{
    QDialog dialog(chart_.window());
    dialog.setObjectName(QStringLiteral("DomainesDroites"));
    dialog.setWindowTitle(QStringLiteral("Domaines des droites (conductimétrie)"));
    auto* form = new QFormLayout;
    QLineEdit* fields[4];
    for (QLineEdit*& field : fields)
        field = new QLineEdit;
    const char* names[4] = {"AvantDe", "AvantA", "ApresDe", "ApresA"};
    for (int i = 0; i < 4; ++i)
        fields[i]->setObjectName(QString::fromLatin1(names[i]));
    // Start from the ranges in use: the student's, or those the break gave.
    std::optional<Ranges> shown = ranges_;
    if (!shown)
        if (const auto outcome = Compute(); outcome.result)
            shown = Ranges{outcome.result->beforeRange, outcome.result->afterRange};
    if (shown) {
        fields[0]->setText(Ml(shown->first.fromMl));
        fields[1]->setText(Ml(shown->first.toMl));
        fields[2]->setText(Ml(shown->second.fromMl));
        fields[3]->setText(Ml(shown->second.toMl));
    }
    const auto row = [](QLineEdit* from, QLineEdit* to) {
        auto* layout = new QHBoxLayout;
        layout->addWidget(new QLabel(QStringLiteral("de")));
        layout->addWidget(from);
        layout->addWidget(new QLabel(QStringLiteral("à")));
        layout->addWidget(to);
        layout->addWidget(new QLabel(QStringLiteral("mL")));
        return layout;
    };
    form->addRow(QStringLiteral("Droite &avant l'équivalence :"), row(fields[0], fields[1]));
    form->addRow(QStringLiteral("Droite a&près l'équivalence :"), row(fields[2], fields[3]));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* automatic = buttons->addButton(QStringLiteral("A&utomatique"), QDialogButtonBox::ResetRole);
    automatic->setObjectName(QStringLiteral("Automatique"));
    bool backToAutomatic = false;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(automatic, &QPushButton::clicked, &dialog, [&] {
        backToAutomatic = true;
        dialog.accept();
    });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (!dialogRunner_(dialog))
        return;
    if (backToAutomatic) {
        SetRanges(std::nullopt);
    } else {
        std::optional<double> v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = ReadMl(fields[i]);
        if (!v[0] || !v[1] || !v[2] || !v[3]) {
            status_(QStringLiteral("Domaines des droites : chaque borne doit être un volume en mL."));
            return;
        }
        SetRanges(Ranges{{std::min(*v[0], *v[1]), std::max(*v[0], *v[1])}, {std::min(*v[2], *v[3]), std::max(*v[2], *v[3])}});
    }
    PointEquivalenceClick();
}
