#include "acquisition/CalibrationMemory.h"

#include "acquisition/CalibrationController.h"
#include "acquisition/StoredCalibration.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "window/TFAcquisition.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSettings>

#include <exception>

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
    QSettings settings;
    const std::optional<StoredCalibration::Calibration> kept
        = StoredCalibration::Read(settings, StoredCalibration::BoardOf(window_.BoardInUse()));
    if (kept) {
        window_.RadioGroup1Items->button(kept->differential ? 1 : 0)->setChecked(true);
        calibration_.RadioGroup1Click();
        electrode_.SetCoefficients(kept->slope, kept->intercept);
        qCInfo(lcApp).noquote() << QStringLiteral("Etalonnage retrouvé : pH = %1 x U + %2%3")
                                       .arg(kept->slope, 0, 'f', 4)
                                       .arg(kept->intercept, 0, 'f', 4)
                                       .arg(kept->differential ? QStringLiteral(" (voie 1 - voie 2)") : QString());
    }
    return StoredCalibration::StartMessage(kept, now_());
}

void CalibrationMemory::Completed(const ElectrodeCalibration::PressResult& press)
{
    const std::optional<StoredCalibration::Calibration> made
        = StoredCalibration::Completed(electrode_, press, StoredCalibration::BoardOf(window_.BoardInUse()), now_());
    if (!made)
        return;
    try {
        QSettings settings;
        StoredCalibration::Write(settings, *made);
    } catch (const std::exception& error) {
        // The calibration is in use all the same; only the next start will not find it.
        qCWarning(lcApp).noquote() << QStringLiteral("Etalonnage non gardé : %1").arg(ErrorBox::TextOf(error));
        window_.SetStatusText(ErrorBox::TextOf(error));
    }
}

