#include "acquisition/CalibrationMemory.h"

#include "support/AppLog.h"
#include "text/ExceptionText.h"

#include <QSettings>

#include <cmath>
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

namespace {
const QString kCellGroup = QStringLiteral("EtalonnageConductimetre");
}  // namespace

void CalibrationMemory::RestoreCell()
{
    QSettings settings;
    settings.beginGroup(kCellGroup);
    bool slopeRead = false;
    bool interceptRead = false;
    const double slope = settings.value(QStringLiteral("Pente")).toString().toDouble(&slopeRead);
    const double intercept = settings.value(QStringLiteral("OrdonneeOrigine")).toString().toDouble(&interceptRead);
    // A line that gives nothing (no slope, or not a number) is not one: the standard stays.
    if (!slopeRead || !interceptRead || !std::isfinite(slope) || !std::isfinite(intercept) || slope == 0.0)
        return;
    electrode_.SetCellCoefficients(slope, intercept);
    qCInfo(lcApp).noquote() << QStringLiteral("Etalonnage du conductimètre retrouvé : σ = %1 x U + %2 mS/cm")
                                   .arg(slope, 0, 'f', 4)
                                   .arg(intercept, 0, 'f', 4);
}

QString CalibrationMemory::CompletedCell()
{
    QSettings settings;
    settings.beginGroup(kCellGroup);
    settings.setValue(QStringLiteral("Pente"), QString::number(electrode_.CellSlope(), 'g', 17));
    settings.setValue(QStringLiteral("OrdonneeOrigine"), QString::number(electrode_.CellIntercept(), 'g', 17));
    settings.setValue(QStringLiteral("Date"), now_().toString(Qt::ISODate));
    settings.endGroup();
    settings.sync();
    qCInfo(lcApp).noquote() << QStringLiteral("Etalonnage du conductimètre : σ = %1 x U + %2 mS/cm")
                                   .arg(electrode_.CellSlope(), 0, 'f', 4)
                                   .arg(electrode_.CellIntercept(), 0, 'f', 4);
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("Impossible d'enregistrer l'étalonnage du conductimètre");
    return QString();
}
