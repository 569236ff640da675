#include "acquisition/StoredCalibration.h"

#include "board/BoardSetup.h"

#include "data/ElectrodeCheck.h"

#include <QSettings>

#include <cmath>
#include <stdexcept>

namespace StoredCalibration {

namespace {

const QString kGroup = QStringLiteral("Etalonnage");
const QString kSlope = QStringLiteral("Pente");
const QString kIntercept = QStringLiteral("OrdonneeOrigine");
const QString kElectrode = QStringLiteral("Electrode");  // the item of "Ele&ctrode": 0 or 1
const QString kBoard = QStringLiteral("Carte");
const QString kDate = QStringLiteral("Date");
const QString kSlopePercent = QStringLiteral("PentePourCent");
const QString kOffsetMv = QStringLiteral("DecalageMv");
const QString kSimulated = QStringLiteral("simulation");
const QString kReal = QStringLiteral("reelle");
const QString kUsb = QStringLiteral("usb");

QString BoardName(Board board)
{
    switch (board) {
    case Board::Real:
        return kReal;
    case Board::Usb:
        return kUsb;
    case Board::Simulated:
        break;
    }
    return kSimulated;
}

// Numbers as text, with '.', at full precision: the same on every system and in the registry.
std::optional<double> ReadNumber(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ReadInteger(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const int value = settings.value(key).toString().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

}  // namespace

Board BoardOf(const BoardSetup& board)
{
    if (!board.usbPort.isEmpty())
        return Board::Usb;
    return board.simulated ? Board::Simulated : Board::Real;
}

std::optional<ElectrodeCheck::Result> Check(const ElectrodeCalibration& electrode, Board board)
{
    // In the difference mode the converted voltage is half the electrode's.
    const double scale = electrode.DifferentialMode() ? 2.0 : 1.0;
    double slope = electrode.Slope();
    double intercept = electrode.Intercept();
    if (board == Board::Usb) {
        // U = gain x E + zero (in the difference mode the second input carries the zero):
        // pH = slope x U + intercept = (slope x gain) x E + (slope x zero + intercept).
        const double zero = electrode.DifferentialMode() ? 0.0 : kModuleZeroV;
        intercept += slope * zero;
        slope *= kModuleGain;
    }
    return ElectrodeCheck::Evaluate(slope, intercept, scale);
}

std::optional<Calibration> Completed(const ElectrodeCalibration& electrode,
                                     const ElectrodeCalibration::PressResult& press, Board board,
                                     const QDateTime& now)
{
    if (!press.statusMessage.isEmpty())
        return std::nullopt;
    const std::optional<ElectrodeCheck::Result> check = Check(electrode, board);
    if (!check)
        return std::nullopt;
    Calibration made;
    made.slope = electrode.Slope();
    made.intercept = electrode.Intercept();
    made.differential = electrode.DifferentialMode();
    made.board = board;
    made.madeAt = now;
    made.slopePercent = check->slopePercent;
    made.offsetMv = check->offsetMv;
    return made;
}

void Write(QSettings& settings, const Calibration& calibration)
{
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    settings.setValue(kSlope, QString::number(calibration.slope, 'g', 17));
    settings.setValue(kIntercept, QString::number(calibration.intercept, 'g', 17));
    settings.setValue(kElectrode, calibration.differential ? 1 : 0);
    settings.setValue(kBoard, BoardName(calibration.board));
    // In universal time, so that a change of summer time does not change its age.
    settings.setValue(kDate, calibration.madeAt.toUTC().toString(Qt::ISODate));
    settings.setValue(kSlopePercent, calibration.slopePercent);
    settings.setValue(kOffsetMv, calibration.offsetMv);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error(QStringLiteral("Impossible d'enregistrer l'étalonnage dans %1")
                                     .arg(settings.fileName())
                                     .toStdString());
}

std::optional<Calibration> Read(QSettings& settings, Board board)
{
    settings.beginGroup(kGroup);
    const std::optional<double> slope = ReadNumber(settings, kSlope);
    const std::optional<double> intercept = ReadNumber(settings, kIntercept);
    const std::optional<int> electrode = ReadInteger(settings, kElectrode);
    const QString madeOn = settings.value(kBoard).toString();
    const QDateTime madeAt = QDateTime::fromString(settings.value(kDate).toString(), Qt::ISODate);
    const std::optional<int> slopePercent = ReadInteger(settings, kSlopePercent);
    const std::optional<int> offsetMv = ReadInteger(settings, kOffsetMv);
    settings.endGroup();

    // A zero slope would turn every reading into one pH: that is no calibration to keep.
    if (!slope || *slope == 0.0 || !intercept || !electrode || (*electrode != 0 && *electrode != 1)
        || !madeAt.isValid() || !slopePercent || !offsetMv)
        return std::nullopt;
    if (madeOn != BoardName(board))
        return std::nullopt;
    Calibration kept;
    kept.slope = *slope;
    kept.intercept = *intercept;
    kept.differential = *electrode == 1;
    kept.board = board;
    kept.madeAt = madeAt;
    kept.slopePercent = *slopePercent;
    kept.offsetMv = *offsetMv;
    return kept;
}

QString StartMessage(const std::optional<Calibration>& kept, const QDateTime& now)
{
    if (!kept)
        return QStringLiteral("Pas d'étalonnage : coefficients standard");
    const qint64 ageS = kept->madeAt.secsTo(now);
    if (ageS < 0 || ageS > qint64(kFreshDays) * 24 * 3600)
        return QStringLiteral("Étalonnage ancien : pensez à réétalonner");
    const QDateTime local = kept->madeAt.toLocalTime();
    return QStringLiteral("Étalonnage du %1 à %2 repris : pente %3 %")
        .arg(local.toString(QStringLiteral("d/M/yyyy")), local.toString(QStringLiteral("HH:mm")))
        .arg(kept->slopePercent);
}

}  // namespace StoredCalibration
