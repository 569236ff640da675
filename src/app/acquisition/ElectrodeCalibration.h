#pragma once

#include "data/MeasuredQuantity.h"

#include <QString>

// The electrode: how one voltage is formed from the board's two channels, the line that turns
// it into pH, and the three-press calibration against two buffer solutions. No widgets: the
// main window shows what Press() reports.
class ElectrodeCalibration {
public:
    // Nernst slope at 25 °C: a 3-pH step is 0.1776 V; also the stand-in for equal voltages.
    static constexpr double kStandardDifference = 0.1776;

    static inline const QString kEqualVoltagesMessage
        = QStringLiteral("Erreur, les 2 pH sont égaux ; des valeurs standard seront employées");
    static inline const QString kFirstBufferInstruction = QStringLiteral(
        "Rincez l'électrode, séchez la avec un morceau de papier filtre, plongez la dans une solution tampon de "
        "pH = 7, inscrivez si nécessaire cette valeur de pH, attendez la stabilisation de la tension mesurée, "
        "puis validez.");
    static inline const QString kSecondBufferInstruction = QStringLiteral(
        "Rincez l'électrode, séchez la, plongez la dans une solution tampon de pH 4, ou 10, inscrivez si "
        "nécessaire cette valeur, attendez et validez.");

    // A conductimeter's analogue output, before any calibration: 0,2 V per mS/cm.
    static constexpr double kStandardCellSlope = 5.0;  // mS/cm per volt
    // The usual standard: potassium chloride 0,01 mol/L, 1,413 mS/cm at 25 °C.
    static constexpr double kStandardSolutionMSPerCm = 1.413;
    static inline const QString kEqualCellVoltagesMessage
        = QStringLiteral("Erreur, les 2 conductivités sont égales ; des valeurs standard seront employées");
    static inline const QString kWaterInstruction = QStringLiteral(
        "Rincez la cellule à l'eau distillée, plongez la dans l'eau distillée, inscrivez si nécessaire sa "
        "conductivité, attendez la stabilisation de la tension mesurée, puis validez.");
    static inline const QString kStandardInstruction = QStringLiteral(
        "Rincez la cellule, plongez la dans la solution étalon de chlorure de potassium, inscrivez sa "
        "conductivité à la température de la salle, attendez et validez.");

    // What a press leaves for the window to show.
    struct PressResult {
        QString caption;         // Button1
        QString bufferText;      // Edit2 (empty: leave it as it is)
        bool bufferEditable = false;
        QString instruction;     // empty once the calibration is over
        QString statusMessage;   // the equal-voltages message, or empty
    };

    // LastVoltage := Voltage1, LastVoltage2 := Voltage2; in differential mode the electrode
    // voltage is (Voltage1 - Voltage2) / 2.
    void ElectrodeVoltage(double voltage1, double voltage2);
    double VoltageToPH(double volts) const { return slope_ * volts + intercept_; }

    // What the probe on channel 1 measures: the pH electrode, or a conductimeter's output with
    // a line of its own (kept in mS/cm, given in the quantity's unit). Outside a calibration.
    void SetQuantity(MeasuredQuantity quantity) { quantity_ = quantity; }
    MeasuredQuantity Quantity() const { return quantity_; }
    // The value the run records for a voltage: the pH, or the conductivity in its unit.
    double Value(double volts) const;
    void SetCellCoefficients(double slope, double intercept)
    {
        cellSlope_ = slope;
        cellIntercept_ = intercept;
    }
    double CellSlope() const { return cellSlope_; }          // mS/cm per volt
    double CellIntercept() const { return cellIntercept_; }  // mS/cm
    // The caption naming what the next press validates: "&Valider pH 7", "&Valider σ 1,413".
    QString Caption(const QString& bufferText) const;

    // One press of the calibrate button; `bufferText` is what Edit2 holds. A buffer text that is
    // not a number throws ConvertError and leaves the calibration on the step it was on.
    PressResult Press(const QString& bufferText);

    // The caption that names the buffer the next press validates.
    static QString CaptionFor(const QString& bufferText) { return QStringLiteral("&Valider pH ") + bufferText; }

    int CalibrationStep() const { return step_; }
    bool Calibrating() const { return step_ != 0; }
    bool DifferentialMode() const { return differential_; }
    void SetDifferentialMode(bool on) { differential_ = on; }
    double LastVoltage() const { return lastVoltage_; }
    double LastVoltage2() const { return lastVoltage2_; }
    // A line kept from an earlier calibration, used until the next one completes.
    void SetCoefficients(double slope, double intercept)
    {
        slope_ = slope;
        intercept_ = intercept;
    }
    double Slope() const { return slope_; }
    double Intercept() const { return intercept_; }
    double BufferPH1() const { return bufferPH1_; }
    double BufferPH2() const { return bufferPH2_; }

private:
    // The line through (ua, BufferPH1) and (ub, BufferPH2); true when ua equals ub and the
    // standard difference had to be used.
    bool ComputeCoefficients(double ua, double ub);
    // mS/cm per unit of the quantity.
    double UnitFactor() const;

    int step_ = 0;
    bool differential_ = false;
    double lastVoltage_ = 0.0;
    double lastVoltage2_ = 0.0;
    double bufferPH1_ = 7.0;
    double bufferPH2_ = 4.0;
    double point1Voltage_ = 0.0;
    // Before any calibration: the standard line through (0 V, pH 7) and (0.1776 V, pH 4).
    double slope_ = -3.0 / kStandardDifference;
    double intercept_ = 7.0;
    MeasuredQuantity quantity_ = MeasuredQuantity::PH;
    double cellSlope_ = kStandardCellSlope;
    double cellIntercept_ = 0.0;
    double point1Value_ = 0.0;  // mS/cm
};
