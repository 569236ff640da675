#include "acquisition/ElectrodeCalibration.h"

#include "data/NumberText.h"

void ElectrodeCalibration::ElectrodeVoltage(double voltage1, double voltage2)
{
    lastVoltage_ = voltage1;
    lastVoltage2_ = voltage2;
    if (differential_)
        lastVoltage_ = (voltage1 - voltage2) / 2;
}

ElectrodeCalibration::PressResult ElectrodeCalibration::Press(const QString& bufferText)
{
    PressResult result;
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
