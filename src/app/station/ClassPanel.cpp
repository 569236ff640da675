#include "station/ClassPanel.h"

#include "data/NumberText.h"
#include "data/TitrationConcentration.h"
#include "station/HistogramView.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kCbKey = QStringLiteral("PosteProfesseur/Cb");
const QString kVaKey = QStringLiteral("PosteProfesseur/Va");

// A positive number, or nothing for an empty field; false when the text is neither.
bool ReadPositive(const QString& text, std::optional<double>& value)
{
    value.reset();
    if (text.trimmed().isEmpty())
        return true;
    double read = 0.0;
    QString typed = text.trimmed();
    typed.replace(QLatin1Char('.'), QLatin1Char(','));
    if (!NumberText::TryParse(typed, read) || !std::isfinite(read) || read <= 0.0)
        return false;
    value = read;
    return true;
}

}  // namespace

ClassPanel::ClassPanel(QWidget* parent)
    : QWidget(parent)
    , cb_(new QLineEdit)
    , va_(new QLineEdit)
    , fieldMessage_(new QLabel)
    , summary_(new QLabel)
    , histogram_(new HistogramView)
{
    setObjectName(QStringLiteral("StatistiquesClasse"));
    cb_->setObjectName(QStringLiteral("CbClasse"));
    va_->setObjectName(QStringLiteral("VaClasse"));
    cb_->setPlaceholderText(QStringLiteral("ex. 0,0100"));
    va_->setPlaceholderText(QStringLiteral("ex. 20,0"));
    cb_->setToolTip(QStringLiteral("Concentration du réactif de la burette, la même pour toute la classe"));
    va_->setToolTip(QStringLiteral("Volume de solution titrée dans le bécher, le même pour toute la classe"));
    const QSettings settings;
    cb_->setText(settings.value(kCbKey).toString());
    va_->setText(settings.value(kVaKey).toString());
    ReadPositive(cb_->text(), cbMolPerL_);
    ReadPositive(va_->text(), vaMl_);

    fieldMessage_->setStyleSheet(QStringLiteral("color: #b00000"));
    fieldMessage_->setWordWrap(true);
    fieldMessage_->hide();
    summary_->setObjectName(QStringLiteral("ResumeClasse"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* fields = new QHBoxLayout;
    auto* cbLabel = new QLabel(QStringLiteral("C&b (mol/L) :"));
    cbLabel->setBuddy(cb_);
    auto* vaLabel = new QLabel(QStringLiteral("&Va (mL) :"));
    vaLabel->setBuddy(va_);
    fields->addWidget(cbLabel);
    fields->addWidget(cb_, 1);
    fields->addWidget(vaLabel);
    fields->addWidget(va_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Résultats de la classe (Ca = Cb·Ve/Va si Cb et Va sont donnés)"));
    title->setStyleSheet(QStringLiteral("font-weight: bold"));
    layout->addWidget(title);
    layout->addLayout(fields);
    layout->addWidget(fieldMessage_);
    layout->addWidget(summary_);
    layout->addWidget(histogram_, 1);

    connect(cb_, &QLineEdit::editingFinished, this, &ClassPanel::TakeFields);
    connect(va_, &QLineEdit::editingFinished, this, &ClassPanel::TakeFields);
}

std::optional<ClassStatistics::ClassQuantities> ClassPanel::Quantities() const
{
    if (!cbMolPerL_ || !vaMl_)
        return std::nullopt;
    return ClassStatistics::ClassQuantities{*cbMolPerL_, *vaMl_};
}

void ClassPanel::TakeFields()
{
    // A refused field keeps the value it had; the other is taken and remembered.
    std::optional<double> cb = cbMolPerL_;
    std::optional<double> va = vaMl_;
    std::optional<double> read;
    QStringList refused;
    QSettings settings;
    if (ReadPositive(cb_->text(), read)) {
        cb = read;
        settings.setValue(kCbKey, cb_->text().trimmed());
    } else {
        refused << QStringLiteral("Cb « %1 » n'est pas une concentration positive en mol/L").arg(cb_->text());
    }
    if (ReadPositive(va_->text(), read)) {
        va = read;
        settings.setValue(kVaKey, va_->text().trimmed());
    } else {
        refused << QStringLiteral("Va « %1 » n'est pas un volume positif en mL").arg(va_->text());
    }
    fieldMessage_->setText(refused.join(QStringLiteral(" ; ")));
    fieldMessage_->setVisible(!refused.isEmpty());
    if (cb == cbMolPerL_ && va == vaMl_)
        return;
    cbMolPerL_ = cb;
    vaMl_ = va;
    emit QuantitiesChanged();
}

HistogramPicture::Picture ClassPanel::PictureOf(const ClassStatistics::Statistics& statistics)
{
    HistogramPicture::Picture picture;
    picture.histogram = statistics.histogram;
    if (statistics.ofConcentration) {
        picture.caption = QStringLiteral("Ca (mol/L)");
        picture.edgeText = [](double edge) { return TitrationConcentration::Scientific(edge); };
    } else {
        picture.caption = QStringLiteral("Ve (mL)");
        const double width = statistics.histogram.binWidth;
        const int decimals = width > 0.0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(width) - 1e-9)), 0, 6) : 2;
        picture.edgeText = [decimals](double edge) { return NumberText::Fixed(edge, 15, decimals); };
    }
    if (statistics.count > 0)
        picture.mean = statistics.mean;
    picture.standardDeviation = statistics.standardDeviation;
    return picture;
}

void ClassPanel::Show(const ClassStatistics::Statistics& statistics)
{
    summary_->setText(ClassStatistics::SummaryText(statistics));
    histogram_->SetPicture(PictureOf(statistics));
}
