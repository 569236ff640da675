#include "acquisition/CalibrationMemory.h"

#include "support/AppLog.h"
#include "text/ExceptionText.h"

#include <QSettings>

#include <exception>

CalibrationMemory::CalibrationMemory(ElectrodeCalibration& electrode, std::function<StoredCalibration::Board()> board,
                                     QObject* parent)
    : QObject(parent)
    , electrode_(electrode)
    , board_(std::move(board))
    , now_([] { return QDateTime::currentDateTime(); })
{
}

QString CalibrationMemory::Restore()
{
    QSettings settings;
    const std::optional<StoredCalibration::Calibration> kept = StoredCalibration::Read(settings, board_());
    if (kept) {
        emit ElectrodeModeRestored(kept->differential);
        electrode_.SetCoefficients(kept->slope, kept->intercept);
        qCInfo(lcApp).noquote() << QStringLiteral("Etalonnage retrouvé : pH = %1 x U + %2%3")
                                       .arg(kept->slope, 0, 'f', 4)
                                       .arg(kept->intercept, 0, 'f', 4)
                                       .arg(kept->differential ? QStringLiteral(" (voie 1 - voie 2)") : QString());
    }
    return StoredCalibration::StartMessage(kept, now_());
}

QString CalibrationMemory::Completed(const ElectrodeCalibration::PressResult& press)
{
    const std::optional<StoredCalibration::Calibration> made
        = StoredCalibration::Completed(electrode_, press, board_(), now_());
    if (!made)
        return QString();
    try {
        QSettings settings;
        StoredCalibration::Write(settings, *made);
    } catch (const std::exception& error) {
        // The calibration is in use all the same; only the next start will not find it.
        qCWarning(lcApp).noquote() << QStringLiteral("Etalonnage non gardé : %1").arg(ExceptionText(error));
        return ExceptionText(error);
    }
    return QString();
}
