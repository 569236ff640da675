#include "acquisition/ManualEntryPanel.h"

#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "support/ErrorBox.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPushButton* Button(const QString& caption, const QString& name)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    // Enter belongs to the fields: it adds the point, never presses a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

ManualEntryPanel::ManualEntryPanel(MeasurementRecord& record, Hooks hooks, QWidget* parent)
    : QDialog(parent)
    , record_(record)
    , hooks_(std::move(hooks))
    , valueLabel_(new QLabel)
    , volume_(new QLineEdit)
    , value_(new QLineEdit)
    , message_(new QLabel)
    , count_(new QLabel)
    , correct_(Button(QStringLiteral("&Corriger le dernier"), QStringLiteral("CorrigerDernier")))
    , remove_(Button(QStringLiteral("&Retirer le dernier"), QStringLiteral("RetirerDernier")))
{
    setObjectName(QStringLiteral("SaisieManuelle"));
    setWindowTitle(QStringLiteral("Saisie manuelle"));
    setModal(false);
    volume_->setObjectName(QStringLiteral("SaisieVolume"));
    value_->setObjectName(QStringLiteral("SaisieValeur"));
    message_->setObjectName(QStringLiteral("SaisieMessage"));
    message_->setStyleSheet(QStringLiteral("color: #c00000;"));
    message_->setWordWrap(true);

    auto* fields = new QFormLayout;
    auto* volumeLabel = new QLabel(QStringLiteral("&Volume versé (mL) :"));
    volumeLabel->setBuddy(volume_);
    valueLabel_->setBuddy(value_);
    fields->addRow(volumeLabel, volume_);
    fields->addRow(valueLabel_, value_);

    auto* close = Button(QStringLiteral("&Fermer"), QStringLiteral("FermerSaisie"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(correct_);
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Entrée ajoute le point ; Échap ferme et enregistre les points.")));
    layout->addLayout(fields);
    layout->addWidget(message_);
    layout->addWidget(count_);
    layout->addLayout(buttons);
    setTabOrder(volume_, value_);

    connect(volume_, &QLineEdit::returnPressed, this, Guarded([this] { OnReturn(true); }));
    connect(value_, &QLineEdit::returnPressed, this, Guarded([this] { OnReturn(false); }));
    connect(correct_, &QPushButton::clicked, this, Guarded(this, &ManualEntryPanel::CorrectLast));
    connect(remove_, &QPushButton::clicked, this, Guarded(this, &ManualEntryPanel::RemoveLast));
    connect(close, &QPushButton::clicked, this, Guarded(this, &ManualEntryPanel::reject));
    // A typed field is read again at the next Enter: an old refusal no longer applies.
    for (QLineEdit* field : {volume_, value_})
        connect(field, &QLineEdit::textEdited, message_, &QLabel::clear);
}

void ManualEntryPanel::Open()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    if (const QString refusal = hooks_.refusal ? hooks_.refusal() : QString(); !refusal.isEmpty()) {
        emit StatusChanged(refusal);
        return;
    }
    typed_.clear();
    started_ = false;
    correcting_ = false;
    volume_->setText(TypedMeasurements::VolumeText(0.0));
    value_->clear();
    message_->clear();
    UpdateCaptions();
    // Under the main window, so that the table and the chart stay in sight while typing.
    if (QWidget* main = parentWidget(); main && !placed_) {
        placed_ = true;
        move(main->frameGeometry().bottomLeft() + QPoint(0, 30));
    }
    show();
    // The keyboard goes to the panel at once: the student types without reaching for the mouse.
    raise();
    activateWindow();
    emit TypingChanged(true);
}

void ManualEntryPanel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    volume_->setFocus();
    volume_->selectAll();
}

void ManualEntryPanel::UpdateCaptions()
{
    const MeasuredQuantity quantity = hooks_.quantity ? hooks_.quantity() : MeasuredQuantity::PH;
    valueLabel_->setText(MeasuredQuantities::IsConductivity(quantity)
                             ? QStringLiteral("C&onductivité (%1) :").arg(MeasuredQuantities::Unit(quantity))
                             : QStringLiteral("p&H :"));
    count_->setText(correcting_ ? QStringLiteral("Correction du point n° %1").arg(typed_.size())
                                : QStringLiteral("Points saisis : %1").arg(typed_.size()));
    correct_->setEnabled(!typed_.isEmpty());
    remove_->setEnabled(!typed_.isEmpty());
}

void ManualEntryPanel::OnReturn(bool inVolume)
{
    // Enter in the volume field with no value yet goes on to the value, as Tab does.
    if (inVolume && value_->text().trimmed().isEmpty()) {
        value_->setFocus();
        return;
    }
    Add();
}

void ManualEntryPanel::Refuse(TypedMeasurements::Field field, const QString& text)
{
    QLineEdit* at = field == TypedMeasurements::Field::Volume ? volume_ : value_;
    message_->setText(text);
    at->setFocus();
    at->selectAll();
}

void ManualEntryPanel::Add()
{
    const MeasuredQuantity quantity = hooks_.quantity ? hooks_.quantity() : MeasuredQuantity::PH;
    const TypedMeasurements::Checked checked = TypedMeasurements::Check(volume_->text(), value_->text(), quantity);
    if (!checked.point) {
        Refuse(checked.field, checked.refusal);
        return;
    }
    if (!started_) {
        // The first point starts the series: the record is emptied as a run empties it.
        started_ = true;
        sinceStart_.start();
        record_.SetChartTitles(false);
        record_.ResetRecord();
        emit SeriesStarted(QDateTime::currentDateTime());
    }
    if (correcting_ && !typed_.isEmpty())
        typed_.back() = *checked.point;
    else
        typed_.append(*checked.point);
    correcting_ = false;
    emit PointTyped(static_cast<int>(typed_.size()), sinceStart_.elapsed(), checked.point->volumeMl,
                    checked.point->value);
    message_->clear();
    ShowRecord();
    ProposeNext();
}

void ManualEntryPanel::CorrectLast()
{
    if (typed_.isEmpty())
        return;
    correcting_ = true;
    volume_->setText(TypedMeasurements::VolumeText(typed_.back().volumeMl));
    value_->setText(NumberText::General(typed_.back().value));
    UpdateCaptions();
    value_->setFocus();
    value_->selectAll();
}

void ManualEntryPanel::RemoveLast()
{
    if (typed_.isEmpty())
        return;
    typed_.removeLast();
    correcting_ = false;
    emit PointsRemoved(static_cast<int>(typed_.size()));
    ShowRecord();
    ProposeNext();
}

void ManualEntryPanel::ProposeNext()
{
    volume_->setText(TypedMeasurements::VolumeText(TypedMeasurements::NextVolumeMl(typed_)));
    value_->clear();
    UpdateCaptions();
    volume_->setFocus();
    volume_->selectAll();
}

void ManualEntryPanel::ShowRecord()
{
    const MeasuredQuantity quantity = hooks_.quantity ? hooks_.quantity() : MeasuredQuantity::PH;
    const int count = static_cast<int>(typed_.size());
    record_.ReplaceTable(TypedMeasurements::Rows(typed_, quantity), count);
    if (count > 0)
        record_.RebuildChart();
    else
        record_.ClearChart();
    record_.SetTopRow(std::max(1, count - (MeasurementRecord::kVisibleRows - 1)));
    emit PointCountChanged(count);
}

void ManualEntryPanel::reject()
{
    EndSeries();
    QDialog::reject();
    emit TypingChanged(false);
}

void ManualEntryPanel::EndSeries()
{
    if (!started_)
        return;
    started_ = false;
    correcting_ = false;
    // Nothing typed is lost: unsaved points stay in the recovery file until a save succeeds.
    bool saved = true;
    if (!typed_.isEmpty() && hooks_.finish)
        saved = ErrorBox::Guard([this] { hooks_.finish(); });
    emit SeriesEnded(saved);
}

RunRecovery::Outcome ManualEntryPanel::Recover(const RecoveryFile::Contents& left)
{
    if (isVisible())
        return RunRecovery::Outcome::SaveFailed;
    typed_.clear();
    for (const RecoveryFile::TypedPoint& point : left.typed)
        typed_.append({point.volumeMl, point.value});
    record_.SetChartTitles(false);
    record_.ResetRecord();
    ShowRecord();
    if (typed_.isEmpty())
        return RunRecovery::Outcome::NothingKept;
    return !hooks_.finish || ErrorBox::Guard([this] { hooks_.finish(); }) ? RunRecovery::Outcome::Saved
                                                                          : RunRecovery::Outcome::SaveFailed;
}
