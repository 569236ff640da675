#include "acquisition/ElectrodeCalibration.h"

#include "data/NumberText.h"

void ElectrodeCalibration::ElectrodeVoltage(double voltage1, double voltage2)
{
    lastVoltage_ = voltage1;
    lastVoltage2_ = voltage2;
    if (differential_)
        lastVoltage_ = (voltage1 - voltage2) / 2;
}

double ElectrodeCalibration::UnitFactor() const
{
    return quantity_ == MeasuredQuantity::ConductivityMicroSiemens ? 1000.0 : 1.0;
}

double ElectrodeCalibration::Value(double volts) const
{
    if (!MeasuredQuantities::IsConductivity(quantity_))
        return VoltageToPH(volts);
    return (cellSlope_ * volts + cellIntercept_) * UnitFactor();
}

QString ElectrodeCalibration::Caption(const QString& bufferText) const
{
    if (!MeasuredQuantities::IsConductivity(quantity_))
        return CaptionFor(bufferText);
    return QStringLiteral("&Valider σ ") + bufferText;
}

ElectrodeCalibration::PressResult ElectrodeCalibration::Press(const QString& bufferText)
{
    PressResult result;
    if (MeasuredQuantities::IsConductivity(quantity_)) {
        // The same three presses: distilled water, then the standard solution.
        switch (step_) {
        case 0:
            step_ = 1;
            result.bufferText = NumberText::General(0.0);
            result.instruction = kWaterInstruction;
            break;
        case 1:
            point1Value_ = NumberText::Parse(bufferText) / UnitFactor();
            point1Voltage_ = lastVoltage_;
            step_ = 2;
            result.bufferText = NumberText::General(kStandardSolutionMSPerCm * UnitFactor());
            result.instruction = kStandardInstruction;
            break;
        default: {
            const double value = NumberText::Parse(bufferText) / UnitFactor();
            step_ = 0;
            result.caption = QStringLiteral("Etal&onner");
            const double ua = point1Voltage_;
            const double ub = lastVoltage_;
            if (ua == ub) {
                cellSlope_ = kStandardCellSlope;
                cellIntercept_ = point1Value_ - kStandardCellSlope * ua;
                result.statusMessage = kEqualCellVoltagesMessage;
            } else {
                cellSlope_ = (value - point1Value_) / (ub - ua);
                cellIntercept_ = point1Value_ - cellSlope_ * ua;
            }
            return result;
        }
        }
        result.caption = Caption(result.bufferText);
        result.bufferEditable = true;
        return result;
    }
    switch (step_) {
    case 0:
        step_ = 1;
        result.bufferText = NumberText::General(7.0);
        result.caption = CaptionFor(result.bufferText);
        result.bufferEditable = true;
        result.instruction = kFirstBufferInstruction;
        break;
    case 1: {
        // Read before moving on, so a mistyped value leaves the operator on this buffer.
        const double pH = NumberText::Parse(bufferText);
        point1Voltage_ = lastVoltage_;
        bufferPH1_ = pH;
        step_ = 2;
        result.bufferText = NumberText::General(4.0);
        result.caption = CaptionFor(result.bufferText);
        result.bufferEditable = true;
        result.instruction = kSecondBufferInstruction;
        break;
    }
    default: {
        const double pH = NumberText::Parse(bufferText);
        const double point2Voltage = lastVoltage_;
        bufferPH2_ = pH;
        step_ = 0;
        result.caption = QStringLiteral("Etal&onner");
        if (ComputeCoefficients(point1Voltage_, point2Voltage))
            result.statusMessage = kEqualVoltagesMessage;
        break;
    }
    }
    return result;
}

bool ElectrodeCalibration::ComputeCoefficients(double ua, double ub)
{
    // Both modes use the captured LastVoltage, which is what the run converts, so the line
    // gives the buffer values back at the two captured points in either mode.
    double d = ua - ub;
    const bool equal = d == 0.0;
    if (equal)
        d = kStandardDifference;
    slope_ = (bufferPH1_ - bufferPH2_) / d;
    intercept_ = (bufferPH2_ * ua - bufferPH1_ * ub) / d;
    return equal;
}
