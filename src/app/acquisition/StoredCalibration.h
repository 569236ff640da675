#pragma once

#include "acquisition/ElectrodeCalibration.h"
#include "data/ElectrodeCheck.h"

#include <QDateTime>
#include <QString>

#include <optional>

class QSettings;
struct BoardSetup;

// A completed calibration kept in the program's settings for the next start: the line that
// turns volts into pH, the electrode mode it was made in, the board it was made on, when, and
// the electrode check of that day. Plain logic: the window applies and shows what it returns.
namespace StoredCalibration {

// Older than this many days a kept calibration is still used, but the operator is asked to
// calibrate again: an electrode drifts.
inline constexpr int kFreshDays = 7;

// The boards differ in electrode, amplifier and converter: a line holds only for its own.
enum class Board { Simulated, Real, Usb };
Board BoardOf(const BoardSetup& board);

// The USB interface reads a pH amplifier module, not the electrode: the usual modules give
// 2,5 V for 0 mV of electrode (their zero screw is set so) and amplify about 3 times
// (0,177 V per pH unit). The electrode check looks through that to the electrode.
inline constexpr double kModuleGain = 3.0;
inline constexpr double kModuleZeroV = 2.5;
// The electrode check of the calibration in use, on the board it was made on.
std::optional<ElectrodeCheck::Result> Check(const ElectrodeCalibration& electrode, Board board);

struct Calibration {
    double slope = 0.0;      // pH per volt
    double intercept = 0.0;  // pH
    bool differential = false;
    Board board = Board::Simulated;
    QDateTime madeAt;
    int slopePercent = 0;
    int offsetMv = 0;
};

// What to keep of the calibration the third press has just completed: nothing when the press
// had to fall back on the standard difference (equal voltages) or when the line says nothing of
// an electrode (both buffers given the same pH).
std::optional<Calibration> Completed(const ElectrodeCalibration& electrode,
                                     const ElectrodeCalibration::PressResult& press, Board board,
                                     const QDateTime& now);

// Under the group "Etalonnage", replacing what was there. Throws std::runtime_error (French)
// when the settings cannot be written.
void Write(QSettings& settings, const Calibration& calibration);

// What is kept for the board in use. Empty when nothing is kept, when a value does not read as
// what it should be (the whole calibration is then ignored), or when it was made on the other
// board, whose electrode and converters are not these.
std::optional<Calibration> Read(QSettings& settings, Board board);

// The status bar's message at start: "Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %",
// "Étalonnage ancien : pensez à réétalonner" beyond kFreshDays (or dated after `now`: the
// clock cannot tell its age), "Pas d'étalonnage : coefficients standard" without one.
QString StartMessage(const std::optional<Calibration>& kept, const QDateTime& now);

}  // namespace StoredCalibration
