#include "MeasurementRun.h"

#include "Clock.h"
#include "ElectrodeCalibration.h"
#include "ErrorBox.h"
#include "FrameColours.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "TFAcquisition.h"
#include "MeasurementThread.h"
#include "VolumeReconstruction.h"

#include <QApplication>
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
    connect(window_.Timer1, &QTimer::timeout, this, &MeasurementRun::Timer1Timer);
    connect(&board_, &MeasurementThread::Measured, this, &MeasurementRun::SampleMeasured);
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
    pressesUnderWay_.clear();
    // The first sample comes one timer interval after the start and stands for time 0.
    firstSampleStartMs_ = clock_.NowMs() + TFAcquisition::kTimerIntervalMs;
    window_.Timer1->start(TFAcquisition::kTimerIntervalMs);
    window_.Button1->setEnabled(false);
    window_.RadioGroup1->setEnabled(false);
    validationCount_ = 0;
    window_.Button2->setText(QStringLiteral("A&rréter"));
    window_.Record().ResetRecord();
    window_.Edit6->setText(QStringLiteral("0"));
    window_.Label8->setText(QStringLiteral("Nombre de points mesurés"));
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
        // Presses handled in the last moments before this reading came back, but made after
        // its sample ended, belong to its row: the row before gets back what it held.
        const auto late = std::find_if(pressesUnderWay_.begin(), pressesUnderWay_.end(),
                                       [&](const Press& press) { return press.ms >= reading.endedMs; });
        const bool anyLate = late != pressesUnderWay_.end();
        const std::int64_t latestPressMs = anyLate ? pressesUnderWay_.back().ms : 0;
        if (anyLate) {
            const auto firstRecorded =
                std::find_if(late, pressesUnderWay_.end(), [](const Press& press) { return press.recorded; });
            if (firstRecorded != pressesUnderWay_.end())
                record.SetCell(MeasurementRecord::ColValidation, record.PointCount(), firstRecorded->cellBefore);
            validationCount_ += static_cast<int>(
                std::count_if(late, pressesUnderWay_.end(), [](const Press& press) { return !press.recorded; }));
        }
        pressesUnderWay_.clear();

        if (samplesTaken_ == 0)
            firstSampleStartMs_ = reading.startedMs;
        lastSampleTick_ = reading.endedMs;
        ++samplesTaken_;
        electrode_.ElectrodeVoltage(reading.voltage1, reading.voltage2);
        const double u = electrode_.LastVoltage();
        const double pH = electrode_.VoltageToPH(u);
        window_.Edit1->setText(NumberText::Fixed(u, 4, 3));
        window_.Edit2->setText(NumberText::Fixed(pH, 4, 2));
        record.AppendSample(pH);
        if (anyLate) {
            WriteMark(latestPressMs);
            ShowNextVolume();
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
    const std::int64_t pressMs = clock_.NowMs();
    const MeasurementRecord& record = window_.Record();
    const QString cellBefore = record.Cell(MeasurementRecord::ColValidation, record.PointCount());
    const bool recorded = RecordPress(pressMs);
    if (SampleUnderWay())
        pressesUnderWay_.push_back({pressMs, recorded, cellBefore});
}

bool MeasurementRun::RecordPress(std::int64_t pressMs)
{
    if (window_.Record().PointCount() == 0)
        return false;
    WriteMark(pressMs);
    ++validationCount_;
    ShowNextVolume();
    return true;
}

void MeasurementRun::WriteMark(std::int64_t pressMs)
{
    // From the middle of the latest sample's averaging window to the key press.
    const double seconds = static_cast<double>(pressMs - lastSampleTick_ + kSampleDurationMs / 2) / 1000.0;
    window_.Record().SetValidationCell(seconds);
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
    pressesUnderWay_.clear();
    SetFrameColour();
    MeasurementRecord& record = window_.Record();
    record.SetChartTitles(false);
    window_.Edit3->setText(QStringLiteral("1"));
    window_.Timer1->stop();
    // A failure here is reported, and the stop still completes: the points stay in the table.
    ErrorBox::Guard([&] {
        VolumeReconstruction::ReconstructVolumes(record);
        if (record.PointCount() != 0 && finishRun_)
            finishRun_();
        return true;
    });
    window_.Edit6->setText(QString::number(record.PointCount()));
    window_.Label8->setText(QStringLiteral("Nombre de points de mesure retenus"));
    window_.Button1->setEnabled(true);
    window_.RadioGroup1->setEnabled(true);
    window_.Button2->setText(QStringLiteral("&Mesurer"));
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
