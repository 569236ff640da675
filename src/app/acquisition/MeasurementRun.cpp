#include "acquisition/MeasurementRun.h"

#include "acquisition/ElectrodeCalibration.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/RunTiming.h"
#include "data/VolumeReconstruction.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"

#include <QTimer>

#include <algorithm>

MeasurementRun::MeasurementRun(MeasurementRecord& record, ElectrodeCalibration& electrode, MeasurementThread& board,
                               Clock& clock, QTimer& timer1, QObject* parent)
    : QObject(parent)
    , record_(record)
    , electrode_(electrode)
    , board_(board)
    , clock_(clock)
    , timer1_(timer1)
{
    timer1_.setSingleShot(true);
    // A coarse timer may fire 5 % early or late (25 ms of a 500 ms wait): the stored times
    // assume samples 1,5 s apart.
    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, Guarded(this, &MeasurementRun::Timer1Timer));
    connect(&board_, &MeasurementThread::Measured, this, Guarded(this, &MeasurementRun::SampleMeasured));
}

void MeasurementRun::Button2KeyUp(int key)
{
    timer1_.setInterval(RunTiming::kTimerIntervalMs);
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
    emit RunningChanged(true);
    record_.SetChartTitles(true);
    samplesTaken_ = 0;
    // A reading still coming for an earlier run is not this run's.
    pendingTag_ = 0;
    runStartMs_ = clock_.NowMs();
    sampleEndsMs_.clear();
    pressesMs_.clear();
    // The first sample comes one timer interval after the start and stands for time 0.
    firstSampleStartMs_ = runStartMs_ + RunTiming::kTimerIntervalMs;
    timer1_.start(RunTiming::kTimerIntervalMs);
    validationCount_ = 0;
    record_.ResetRecord();
    qCInfo(lcApp).noquote() << QStringLiteral("Mesure lancée");
    emit RunStarted(QDateTime::currentDateTime());
}

void MeasurementRun::Timer1Timer()
{
    if (!measuring_ || SampleUnderWay())
        return;
    pendingTag_ = board_.Request(RunTiming::kConversions, RunTiming::kConversionRateHz);
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
        emit ReadingFailed(reading);
        return;
    }
    const bool taken = ErrorBox::Guard([&] {
        if (samplesTaken_ == 0)
            firstSampleStartMs_ = reading.startedMs;
        lastSampleTick_ = reading.endedMs;
        ++samplesTaken_;
        sampleEndsMs_.push_back(reading.endedMs - runStartMs_);
        electrode_.ElectrodeVoltage(reading.voltage1, reading.voltage2);
        const double u = electrode_.LastVoltage();
        const double pH = electrode_.Value(u);
        emit Reading(u, pH);
        record_.AppendSample(pH);
        emit SampleTaken(sampleEndsMs_.back(), pH);
        // Presses handled in the last moments before this reading came back, but made after
        // its sample ended, belong to its row: the row before keeps only its own.
        if (!pressesMs_.empty() && pressesMs_.back() >= sampleEndsMs_.back()) {
            ShowMarks(std::max(1, record_.PointCount() - 1));
            CountPresses();
        }
        ScheduleNextSample();
    });
    // Whatever failed is already shown; a run that cannot go on ends as an Enter would.
    if (!taken && measuring_)
        Stop();
}

std::int64_t MeasurementRun::NextSampleDueMs() const
{
    return firstSampleStartMs_ + static_cast<std::int64_t>(samplesTaken_) * RunTiming::kSamplePeriodMs;
}

void MeasurementRun::ScheduleNextSample()
{
    // Counted from the first sample, not from the end of this one, so the stored 1.5 s
    // period does not drift by the time each tick spends on its own work.
    const std::int64_t wait = std::max<std::int64_t>(0, NextSampleDueMs() - clock_.NowMs());
    timer1_.start(static_cast<int>(std::min<std::int64_t>(wait, RunTiming::kSamplePeriodMs)));
}

void MeasurementRun::ValidateVolume()
{
    if (!measuring_)
        return;
    // Every press is kept with its own time, however many come between two samples.
    pressesMs_.push_back(clock_.NowMs() - runStartMs_);
    emit Pressed(pressesMs_.back());
    // Before the first sample there is no row to mark; a press made while that sample is under
    // way counts once its reading shows that the sample ended before it.
    if (record_.PointCount() == 0)
        return;
    ShowMarks(record_.PointCount());
    CountPresses();
}

std::vector<VolumeReconstruction::Mark> MeasurementRun::Marks() const
{
    return VolumeReconstruction::MarksOfPresses(sampleEndsMs_, pressesMs_, RunTiming::kSampleDurationMs);
}

void MeasurementRun::ShowMarks(int firstRow)
{
    const int rows = record_.PointCount();
    if (firstRow > rows)
        return;
    std::vector<QString> cells(static_cast<std::size_t>(rows - firstRow + 1));
    for (const VolumeReconstruction::Mark& mark : Marks())
        if (mark.row >= firstRow && mark.row <= rows)
            cells[static_cast<std::size_t>(mark.row - firstRow)] = NumberText::General(mark.seconds);
    for (int row = firstRow; row <= rows; ++row) {
        const QString& cell = cells[static_cast<std::size_t>(row - firstRow)];
        if (record_.Cell(MeasurementRecord::ColValidation, row) != cell)
            record_.SetCell(MeasurementRecord::ColValidation, row, cell);
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
        emit NextVolumeChanged((validationCount_ + 1) * RunTiming::kVolumeStepL * 1000);
}

void MeasurementRun::Stop()
{
    measuring_ = false;
    // The sample under way, if any, is not kept: its reading is dropped when it comes back.
    pendingTag_ = 0;
    record_.SetChartTitles(false);
    emit NextVolumeChanged(RunTiming::kVolumeStepL * 1000);
    timer1_.stop();
    const Recovered outcome = Finish(QStringLiteral("Mesure arrêtée"));
    // Kept until the points are saved somewhere.
    emit RunEnded(outcome != Recovered::SaveFailed);
    emit RunningChanged(false);
}

MeasurementRun::Recovered MeasurementRun::Finish(const QString& journalText)
{
    // A failure here is reported, and the stop still completes: the points stay in the table.
    const bool reconstructed
        = ErrorBox::Guard([&] { VolumeReconstruction::ReconstructVolumes(record_, Marks()); });
    qCInfo(lcApp).noquote() << QStringLiteral("%1 : %2 échantillons, %3 volumes validés, %4 points retenus")
                                   .arg(journalText)
                                   .arg(samplesTaken_)
                                   .arg(validationCount_)
                                   .arg(record_.PointCount());
    Recovered outcome = Recovered::NothingKept;
    if (!reconstructed)
        outcome = Recovered::SaveFailed;
    else if (record_.PointCount() != 0)
        outcome = !finishRun_ || ErrorBox::Guard([&] { finishRun_(); }) ? Recovered::Saved : Recovered::SaveFailed;
    emit Finished(record_.PointCount());
    return outcome;
}

MeasurementRun::Recovered MeasurementRun::Recover(const RecoveryFile::Contents& run)
{
    if (measuring_)
        return Recovered::SaveFailed;
    pendingTag_ = 0;
    record_.SetChartTitles(true);
    record_.ResetRecord();
    sampleEndsMs_ = run.sampleEndsMs;
    pressesMs_ = run.pressesMs;
    for (const double pH : run.pH)
        record_.AppendSample(pH);
    samplesTaken_ = static_cast<int>(run.pH.size());
    ShowMarks(1);
    CountPresses();
    record_.SetChartTitles(false);
    const Recovered outcome = Finish(QStringLiteral("Mesure interrompue récupérée"));
    emit NextVolumeChanged(RunTiming::kVolumeStepL * 1000);
    return outcome;
}
