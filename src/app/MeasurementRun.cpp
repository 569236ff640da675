#include "MeasurementRun.h"

#include "Clock.h"
#include "ElectrodeCalibration.h"
#include "ErrorBox.h"
#include "FrameColours.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "TFAcquisition.h"
#include "TTorviC.h"
#include "VolumeReconstruction.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

MeasurementRun::MeasurementRun(TFAcquisition& window, ElectrodeCalibration& electrode, TTorviC& board, Clock& clock)
    : QObject(&window)
    , window_(window)
    , electrode_(electrode)
    , board_(board)
    , clock_(clock)
{
    window_.Timer1->setSingleShot(true);
    connect(window_.Timer1, &QTimer::timeout, this, &MeasurementRun::Timer1Timer);
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
    // The first sample comes one timer interval after the start and stands for time 0.
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
    if (!measuring_)
        return;
    const std::int64_t started = clock_.NowMs();
    if (samplesTaken_ == 0)
        firstSampleStartMs_ = started;
    board_.MeasureVoltages(kSamples, kSampleRate);
    lastSampleTick_ = clock_.NowMs();
    ++samplesTaken_;
    electrode_.ElectrodeVoltage(board_.Voltage1(), board_.Voltage2());
    const double u = electrode_.LastVoltage();
    const double pH = electrode_.VoltageToPH(u);
    window_.Edit1->setText(NumberText::Fixed(u, 4, 3));
    window_.Edit2->setText(NumberText::Fixed(pH, 4, 2));
    window_.Record().AppendSample(pH);
    ScheduleNextSample();
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
    const std::int64_t elapsed = clock_.NowMs() - lastSampleTick_;
    // From the middle of the latest sample's averaging window to the key press.
    const double seconds = static_cast<double>(elapsed + kSampleDurationMs / 2) / 1000.0;
    MeasurementRecord& record = window_.Record();
    if (record.PointCount() == 0)
        return;
    record.SetValidationCell(seconds);
    ++validationCount_;
    window_.Edit3->setText(NumberText::General((validationCount_ + 1) * kVolumeStepL * 1000));
}

void MeasurementRun::Stop()
{
    measuring_ = false;
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
