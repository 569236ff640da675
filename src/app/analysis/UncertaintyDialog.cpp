#include "analysis/UncertaintyDialog.h"

#include "data/NumberText.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

using UncertaintyResults::kMostConcentrationMolPerL;
using UncertaintyResults::kMostVolumeMl;

const QColor kBarColour(90, 130, 200);
const QColor kMeanColour(200, 0, 0);

QLineEdit* Field(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaximumWidth(110);
    return edit;
}

QString Text(double value)
{
    return NumberText::General(value);
}

}  // namespace

UncertaintyDialog::UncertaintyDialog(QWidget* parent)
    : QDialog(parent)
    , burette_(Field(QStringLiteral("EditBurette")))
    , reading_(Field(QStringLiteral("EditLecture")))
    , pipette_(Field(QStringLiteral("EditPipette")))
    , cb_(Field(QStringLiteral("EditCb")))
    , reference_(Field(QStringLiteral("EditReference")))
    , method_(new QComboBox)
    , methodCaption_(new QLabel(QStringLiteral("&Méthode :")))
    , detail_(new QLabel)
    , refusal_(new QLabel)
    , view_(new QChartView)
    , outline_(new QLineSeries)
    , baseline_(new QLineSeries)
    , area_(new QAreaSeries(outline_, baseline_))
    , meanLine_(new QLineSeries)
    , spreadLine_(new QLineSeries)
    , xAxis_(new QValueAxis)
    , yAxis_(new QValueAxis)
{
    setObjectName(QStringLiteral("DialogueIncertitudes"));
    setWindowTitle(QStringLiteral("Incertitudes"));

    auto* tolerances = new QGroupBox(QStringLiteral("Tolérances (±), lois rectangulaires"));
    auto* form = new QFormLayout(tolerances);
    form->addRow(QStringLiteral("&Burette (mL) :"), burette_);
    form->addRow(QStringLiteral("&Lecture de la burette (mL) :"), reading_);
    form->addRow(QStringLiteral("&Pipette, Va (mL) :"), pipette_);
    form->addRow(QStringLiteral("&Concentration Cb (mol/L) :"), cb_);
    auto* referenceBox = new QGroupBox(QStringLiteral("Valeur de référence"));
    auto* referenceForm = new QFormLayout(referenceBox);
    reference_->setPlaceholderText(QStringLiteral("aucune"));
    referenceForm->addRow(QStringLiteral("Ca &attendue (mol/L) :"), reference_);

    method_->setObjectName(QStringLiteral("ComboMethode"));
    methodCaption_->setBuddy(method_);
    auto* methodRow = new QHBoxLayout;
    methodRow->addWidget(methodCaption_);
    methodRow->addWidget(method_, 1);

    detail_->setObjectName(QStringLiteral("LabelResultats"));
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setWordWrap(true);
    refusal_->setObjectName(QStringLiteral("LabelRefus"));
    refusal_->setStyleSheet(QStringLiteral("color: #c00000"));
    refusal_->setWordWrap(true);
    refusal_->hide();

    // The histogram: a filled step outline of the counts, the mean as a red vertical line and
    // mean ± standard deviation as a red bar across.
    outline_->setObjectName(QStringLiteral("HistogrammeCa"));
    meanLine_->setObjectName(QStringLiteral("MoyenneCa"));
    spreadLine_->setObjectName(QStringLiteral("EcartTypeCa"));
    area_->setColor(kBarColour.lighter(140));
    area_->setBorderColor(kBarColour);
    area_->setName(QStringLiteral("tirages"));
    meanLine_->setPen(QPen(kMeanColour, 2));
    meanLine_->setName(QStringLiteral("moyenne"));
    spreadLine_->setPen(QPen(kMeanColour, 2, Qt::DashLine));
    spreadLine_->setName(QStringLiteral("moyenne ± écart-type"));
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Monte-Carlo : histogramme de Ca"));
    chart->addSeries(area_);
    chart->addSeries(meanLine_);
    chart->addSeries(spreadLine_);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(area_), static_cast<QAbstractSeries*>(meanLine_),
                                    static_cast<QAbstractSeries*>(spreadLine_)}) {
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    yAxis_->setTitleText(QStringLiteral("tirages"));
    yAxis_->setLabelFormat(QStringLiteral("%.0f"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    // Axis labels with ',' as every number of the program.
    chart->setLocale(QLocale(QLocale::French, QLocale::France));
    chart->setLocalizeNumbers(true);
    view_->setChart(chart);  // the view owns the chart, the chart its series and axes
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(460, 300);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &UncertaintyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &UncertaintyDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(tolerances);
    left->addWidget(referenceBox);
    left->addLayout(methodRow);
    left->addWidget(detail_);
    left->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 0);
    columns->addWidget(view_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(refusal_);
    layout->addWidget(buttons);
    detail_->setMinimumWidth(360);

    for (QLineEdit* edit : {burette_, reading_, pipette_, cb_, reference_})
        connect(edit, &QLineEdit::textEdited, this, &UncertaintyDialog::Recompute);
    connect(method_, &QComboBox::currentIndexChanged, this, &UncertaintyDialog::ShowEntry);
}

QString UncertaintyDialog::DetailText() const
{
    return detail_->text();
}

QString UncertaintyDialog::RefusalText() const
{
    return refusal_->isHidden() ? QString() : refusal_->text();
}

void UncertaintyDialog::Open(const UncertaintyResults::Settings& settings, Evaluator evaluate)
{
    const Uncertainty::Tolerances& t = settings.tolerances;
    burette_->setText(Text(t.buretteMl));
    reading_->setText(Text(t.readingMl));
    pipette_->setText(Text(t.pipetteMl));
    cb_->setText(Text(t.buretteConcentrationMolPerL));
    reference_->setText(settings.referenceMolPerL ? Text(*settings.referenceMolPerL) : QString());
    evaluate_ = std::move(evaluate);
    setResult(QDialog::Rejected);
    // Each opening starts on the most elaborate way that ran: it comes last.
    method_->blockSignals(true);
    method_->clear();
    method_->blockSignals(false);
    refusal_->clear();
    refusal_->hide();
    Recompute();
}

std::optional<UncertaintyResults::Settings> UncertaintyDialog::Read(QString& refusal, QLineEdit*& field) const
{
    using UncertaintyResults::ReadTolerance;
    UncertaintyResults::Settings settings;
    const struct {
        QLineEdit* edit;
        QString what;
        double most;
        QString unit;
        double* target;
    } tolerances[] = {
        {burette_, QStringLiteral("Tolérance de la burette"), kMostVolumeMl, QStringLiteral("mL"),
         &settings.tolerances.buretteMl},
        {reading_, QStringLiteral("Tolérance de lecture"), kMostVolumeMl, QStringLiteral("mL"),
         &settings.tolerances.readingMl},
        {pipette_, QStringLiteral("Tolérance de la pipette"), kMostVolumeMl, QStringLiteral("mL"),
         &settings.tolerances.pipetteMl},
        {cb_, QStringLiteral("Tolérance sur Cb"), kMostConcentrationMolPerL, QStringLiteral("mol/L"),
         &settings.tolerances.buretteConcentrationMolPerL},
    };
    for (const auto& t : tolerances) {
        const UncertaintyResults::Reading read = ReadTolerance(t.edit->text(), t.what, t.most, t.unit);
        if (!read.value) {
            refusal = read.refusal;
            field = t.edit;
            return std::nullopt;
        }
        *t.target = *read.value;
    }
    const UncertaintyResults::Reading reference = UncertaintyResults::ReadReference(reference_->text());
    if (!reference.refusal.isEmpty()) {
        refusal = reference.refusal;
        field = reference_;
        return std::nullopt;
    }
    settings.referenceMolPerL = reference.value;
    return settings;
}

std::optional<UncertaintyResults::Settings> UncertaintyDialog::Typed()
{
    QString refusal;
    QLineEdit* field = nullptr;
    std::optional<UncertaintyResults::Settings> settings = Read(refusal, field);
    refusal_->setText(refusal);
    refusal_->setVisible(!refusal.isEmpty());
    if (field) {
        field->setFocus();
        field->selectAll();
    }
    return settings;
}

void UncertaintyDialog::accept()
{
    if (Typed())
        QDialog::accept();
}

void UncertaintyDialog::Recompute()
{
    QString refusal;
    QLineEdit* field = nullptr;
    const std::optional<UncertaintyResults::Settings> settings = Read(refusal, field);
    // A value being typed is not refused yet: the results wait for a readable one.
    if (!settings || !evaluate_)
        return;
    refusal_->hide();
    entries_ = evaluate_(*settings);
    const int chosen = method_->currentIndex();
    method_->blockSignals(true);
    method_->clear();
    for (const UncertaintyResults::Entry& entry : entries_)
        method_->addItem(UncertaintyResults::MethodName(entry.method));
    method_->setCurrentIndex(chosen >= 0 && chosen < method_->count() ? chosen : method_->count() - 1);
    method_->blockSignals(false);
    method_->setVisible(entries_.size() > 1);
    methodCaption_->setVisible(entries_.size() > 1);
    ShowEntry();
}

void UncertaintyDialog::ShowEntry()
{
    const int index = method_->currentIndex();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        detail_->setText(QStringLiteral("Aucune équivalence trouvée : mesurez ou ouvrez un titrage, puis "
                                        "revenez à ce dialogue."));
        DrawHistogram(nullptr);
        return;
    }
    const UncertaintyResults::Entry& entry = entries_[static_cast<std::size_t>(index)];
    detail_->setText(UncertaintyResults::DetailLines(entry).join(QLatin1Char('\n')));
    DrawHistogram(&entry);
}

void UncertaintyDialog::DrawHistogram(const UncertaintyResults::Entry* entry)
{
    if (!entry || !entry->monteCarlo || entry->monteCarlo->histogram.counts.empty()) {
        outline_->clear();
        baseline_->clear();
        meanLine_->clear();
        spreadLine_->clear();
        // No draws (no equivalence, or Cb and Va unknown): nothing to show but empty axes.
        view_->hide();
        return;
    }
    view_->show();
    const Uncertainty::MonteCarloResult& mc = *entry->monteCarlo;
    const Histogram& h = mc.histogram;
    // The axis in the power of ten of the written result, so its labels read as the result does.
    const std::optional<Uncertainty::Written> written = Uncertainty::Write(mc.meanMolPerL, mc.standardDeviationMolPerL);
    const int exponent = written ? written->exponent : 0;
    const double scale = std::pow(10.0, -exponent);
    QList<QPointF> steps;
    QList<QPointF> zeros;
    int highest = 0;
    for (std::size_t i = 0; i < h.counts.size(); ++i) {
        const double x0 = h.Edge(i) * scale;
        const double x1 = h.Edge(i + 1) * scale;
        steps << QPointF(x0, h.counts[i]) << QPointF(x1, h.counts[i]);
        zeros << QPointF(x0, 0.0) << QPointF(x1, 0.0);
        highest = std::max(highest, h.counts[i]);
    }
    outline_->replace(steps);
    baseline_->replace(zeros);
    const double top = highest * 1.1 + 1.0;
    const double mean = mc.meanMolPerL * scale;
    const double sd = mc.standardDeviationMolPerL * scale;
    meanLine_->replace({QPointF(mean, 0.0), QPointF(mean, top)});
    spreadLine_->replace({QPointF(mean - sd, highest * 0.6), QPointF(mean + sd, highest * 0.6)});
    xAxis_->setRange(h.from * scale, h.To() * scale);
    xAxis_->applyNiceNumbers();
    yAxis_->setRange(0.0, top);
    yAxis_->applyNiceNumbers();
    xAxis_->setTitleText(exponent == 0 ? QStringLiteral("Ca (mol/L)")
                                       : QStringLiteral("Ca (× 10%1 mol/L)").arg(NumberText::Superscript(exponent)));
}
