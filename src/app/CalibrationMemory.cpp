#include "CalibrationMemory.h"

#include "CalibrationController.h"
#include "ErrorBox.h"
#include "StoredCalibration.h"
#include "TFAcquisition.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSettings>

#include <exception>

namespace {
QSettings ProgramSettings()
{
    return QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
}
}  // namespace

CalibrationMemory::CalibrationMemory(TFAcquisition& window, ElectrodeCalibration& electrode,
                                     CalibrationController& calibration)
    : QObject(&window)
    , window_(window)
    , electrode_(electrode)
    , calibration_(calibration)
    , now_([] { return QDateTime::currentDateTime(); })
{
}

QString CalibrationMemory::Restore()
{
    QSettings settings = ProgramSettings();
    const std::optional<StoredCalibration::Calibration> kept
        = StoredCalibration::Read(settings, window_.BoardInUse().simulated);
    if (kept) {
        window_.RadioGroup1Items->button(kept->differential ? 1 : 0)->setChecked(true);
        calibration_.RadioGroup1Click();
        electrode_.SetCoefficients(kept->slope, kept->intercept);
    }
    return StoredCalibration::StartMessage(kept, now_());
}

void CalibrationMemory::Completed(const ElectrodeCalibration::PressResult& press)
{
    const std::optional<StoredCalibration::Calibration> made
        = StoredCalibration::Completed(electrode_, press, window_.BoardInUse().simulated, now_());
    if (!made)
        return;
    try {
        QSettings settings = ProgramSettings();
        StoredCalibration::Write(settings, *made);
    } catch (const std::exception& error) {
        // The calibration is in use all the same; only the next start will not find it.
        window_.SetStatusText(ErrorBox::TextOf(error));
    }
}
