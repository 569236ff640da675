#include "acquisition/MeasurementRun.h"

#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/RunRecovery.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/VolumeReconstruction.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "window/FrameColours.h"
#include "window/TFAcquisition.h"

#include <QApplication>
#include <QDateTime>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

MeasurementRun::MeasurementRun(TFAcquisition& window, ElectrodeCalibration& electrode, MeasurementThread& board,
                               Clock& clock)
    : QObject(&window)
    , window_(window)
    , electrode_(electrode)
    , board_(board)
    , clock_(clock)
{
    window_.Timer1->setSingleShot(true);
    // A coarse timer may fire 5 % early or late (25 ms of a 500 ms wait): the stored times
    // assume samples 1,5 s apart.
    window_.Timer1->setTimerType(Qt::PreciseTimer);
    connect(window_.Timer1, &QTimer::timeout, this, Guarded(this, &MeasurementRun::Timer1Timer));
    connect(&board_, &MeasurementThread::Measured, this, Guarded(this, &MeasurementRun::SampleMeasured));
}

void MeasurementRun::Button2KeyUp(int key)
{
    window_.Timer1->setInterval(TFAcquisition::kTimerIntervalMs);
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    if (measuring_)
        Stop();
    else
        Start();
}

void MeasurementRun::Start()
{
    measuring_ = true;
    SetFrameColour();
    window_.Record().SetChartTitles(true);
    samplesTaken_ = 0;
    // A reading still coming for an earlier run is not this run's.
    pendingTag_ = 0;
    runStartMs_ = clock_.NowMs();
    sampleEndsMs_.clear();
    pressesMs_.clear();
    // The first sample comes one timer interval after the start and stands for time 0.
    firstSampleStartMs_ = runStartMs_ + TFAcquisition::kTimerIntervalMs;
    window_.Timer1->start(TFAcquisition::kTimerIntervalMs);
    window_.Button1->setEnabled(false);
    window_.RadioGroup1->setEnabled(false);
    validationCount_ = 0;
    window_.Button2->setText(QStringLiteral("A&rréter"));
    window_.Record().ResetRecord();
    window_.Edit6->setText(QStringLiteral("0"));
    window_.Label8->setText(QStringLiteral("Nombre de points mesurés"));
    qCInfo(lcApp).noquote() << QStringLiteral("Mesure lancée");
    if (recovery_)
        recovery_->BeginRun(QDateTime::currentDateTime());
}

void MeasurementRun::Timer1Timer()
{
    if (!measuring_ || SampleUnderWay())
        return;
    pendingTag_ = board_.Request(kSamples, kSampleRate);
}

void MeasurementRun::SampleMeasured(const BoardReading& reading)
{
    // A reading for a run that has ended, or for an earlier run, is dropped.
    if (!SampleUnderWay() || reading.tag != pendingTag_)
        return;
    pendingTag_ = 0;
    if (reading.failure != BoardReading::Failure::None) {
        // As an Enter would: the points taken so far are kept and saved.
        Stop();
        ReportBoardFailure(window_, reading);
        return;
    }
    const bool taken = ErrorBox::Guard([&] {
        MeasurementRecord& record = window_.Record();
        if (samplesTaken_ == 0)
            firstSampleStartMs_ = reading.startedMs;
        lastSampleTick_ = reading.endedMs;
        ++samplesTaken_;
        sampleEndsMs_.push_back(reading.endedMs - runStartMs_);
        electrode_.ElectrodeVoltage(reading.voltage1, reading.voltage2);
        const double u = electrode_.LastVoltage();
        const double pH = electrode_.VoltageToPH(u);
        window_.Edit1->setText(NumberText::Fixed(u, 4, 3));
        window_.Edit2->setText(NumberText::Fixed(pH, 4, 2));
        record.AppendSample(pH);
        if (recovery_)
            recovery_->Sample(sampleEndsMs_.back(), pH);
        // Presses handled in the last moments before this reading came back, but made after
        // its sample ended, belong to its row: the row before keeps only its own.
        if (!pressesMs_.empty() && pressesMs_.back() >= sampleEndsMs_.back()) {
            ShowMarks(std::max(1, record.PointCount() - 1));
            CountPresses();
        }
        ScheduleNextSample();
        return true;
    });
    // Whatever failed is already shown; a run that cannot go on ends as an Enter would.
    if (!taken && measuring_)
        Stop();
}

void MeasurementRun::ReportBoardFailure(TFAcquisition& window, const BoardReading& reading)
{
    if (reading.failure == BoardReading::Failure::Status)
        window.SetStatusText(reading.failureText);
    else if (reading.failure == BoardReading::Failure::Exception)
        ErrorBox::Show(reading.failureText);
}

std::int64_t MeasurementRun::NextSampleDueMs() const
{
    return firstSampleStartMs_ + static_cast<std::int64_t>(samplesTaken_) * kSamplePeriodMs;
}

void MeasurementRun::ScheduleNextSample()
{
    // Counted from the first sample, not from the end of this one, so the stored 1.5 s
    // period does not drift by the time each tick spends on its own work.
    const std::int64_t wait = std::max<std::int64_t>(0, NextSampleDueMs() - clock_.NowMs());
    window_.Timer1->start(static_cast<int>(std::min<std::int64_t>(wait, kSamplePeriodMs)));
}

void MeasurementRun::ValidateVolume()
{
    if (!measuring_)
        return;
    // Every press is kept with its own time, however many come between two samples.
    pressesMs_.push_back(clock_.NowMs() - runStartMs_);
    if (recovery_)
        recovery_->Press(pressesMs_.back());
    // Before the first sample there is no row to mark; a press made while that sample is under
    // way counts once its reading shows that the sample ended before it.
    if (window_.Record().PointCount() == 0)
        return;
    ShowMarks(window_.Record().PointCount());
    CountPresses();
}

std::vector<VolumeReconstruction::Mark> MeasurementRun::Marks() const
{
    return VolumeReconstruction::MarksOfPresses(sampleEndsMs_, pressesMs_, kSampleDurationMs);
}

void MeasurementRun::ShowMarks(int firstRow)
{
    MeasurementRecord& record = window_.Record();
    const int rows = record.PointCount();
    if (firstRow > rows)
        return;
    std::vector<QString> cells(static_cast<std::size_t>(rows - firstRow + 1));
    for (const VolumeReconstruction::Mark& mark : Marks())
        if (mark.row >= firstRow && mark.row <= rows)
            cells[static_cast<std::size_t>(mark.row - firstRow)] = NumberText::General(mark.seconds);
    for (int row = firstRow; row <= rows; ++row) {
        const QString& cell = cells[static_cast<std::size_t>(row - firstRow)];
        if (record.Cell(MeasurementRecord::ColValidation, row) != cell)
            record.SetCell(MeasurementRecord::ColValidation, row, cell);
    }
}

void MeasurementRun::CountPresses()
{
    const int before = validationCount_;
    validationCount_ = sampleEndsMs_.empty()
        ? 0
        : static_cast<int>(std::count_if(pressesMs_.begin(), pressesMs_.end(),
                                         [first = sampleEndsMs_.front()](std::int64_t press) { return press >= first; }));
    if (validationCount_ != before)
        ShowNextVolume();
}

void MeasurementRun::ShowNextVolume()
{
    window_.Edit3->setText(NumberText::General((validationCount_ + 1) * kVolumeStepL * 1000));
}

void MeasurementRun::Stop()
{
    measuring_ = false;
    // The sample under way, if any, is not kept: its reading is dropped when it comes back.
    pendingTag_ = 0;
    SetFrameColour();
    window_.Record().SetChartTitles(false);
    window_.Edit3->setText(QStringLiteral("1"));
    window_.Timer1->stop();
    const Recovered outcome = Finish(QStringLiteral("Mesure arrêtée"));
    // Kept until the points are saved somewhere.
    if (recovery_)
        recovery_->EndRun(outcome != Recovered::SaveFailed);
    window_.Button1->setEnabled(true);
    window_.RadioGroup1->setEnabled(true);
    window_.Button2->setText(QStringLiteral("&Mesurer"));
}

MeasurementRun::Recovered MeasurementRun::Finish(const QString& journalText)
{
    MeasurementRecord& record = window_.Record();
    // A failure here is reported, and the stop still completes: the points stay in the table.
    const bool reconstructed = ErrorBox::Guard([&] {
        VolumeReconstruction::ReconstructVolumes(record, Marks());
        return true;
    });
    qCInfo(lcApp).noquote() << QStringLiteral("%1 : %2 échantillons, %3 volumes validés, %4 points retenus")
                                   .arg(journalText)
                                   .arg(samplesTaken_)
                                   .arg(validationCount_)
                                   .arg(record.PointCount());
    Recovered outcome = Recovered::NothingKept;
    if (!reconstructed)
        outcome = Recovered::SaveFailed;
    else if (record.PointCount() != 0)
        outcome = !finishRun_ || ErrorBox::Guard([&] {
            finishRun_();
            return true;
        })
            ? Recovered::Saved
            : Recovered::SaveFailed;
    window_.Edit6->setText(QString::number(record.PointCount()));
    window_.Label8->setText(QStringLiteral("Nombre de points de mesure retenus"));
    return outcome;
}

MeasurementRun::Recovered MeasurementRun::Recover(const RecoveryFile::Contents& run)
{
    if (measuring_)
        return Recovered::SaveFailed;
    MeasurementRecord& record = window_.Record();
    pendingTag_ = 0;
    record.SetChartTitles(true);
    record.ResetRecord();
    sampleEndsMs_ = run.sampleEndsMs;
    pressesMs_ = run.pressesMs;
    for (const double pH : run.pH)
        record.AppendSample(pH);
    samplesTaken_ = static_cast<int>(run.pH.size());
    ShowMarks(1);
    CountPresses();
    record.SetChartTitles(false);
    const Recovered outcome = Finish(QStringLiteral("Mesure interrompue récupérée"));
    window_.Edit3->setText(QStringLiteral("1"));
    return outcome;
}

void MeasurementRun::Button2Enter()
{
    button2Focused_ = true;
    SetFrameColour();
}

void MeasurementRun::Button2Exit()
{
    button2Focused_ = false;
    SetFrameColour();
}

void MeasurementRun::SetFrameColour()
{
    using namespace FrameColours;
    if (button2Focused_)
        Paint(window_.Edit8, measuring_ ? kRed : kLime);
    else
        Paint(window_.Edit8, measuring_ ? kGreyishRed : Menu());
}
