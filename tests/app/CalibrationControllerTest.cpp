#include "CalibrationController.h"
#include "ElectrodeCalibration.h"
#include "ErrorBox.h"
#include "MeasurementRun.h"
#include "RunFixture.h"
#include "SimulatedBench.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

class CalibrationControllerTest : public RunFixture {
protected:
    void PressCalibrate() { PressEnterOn(window->Button1); }
};

TEST_F(CalibrationControllerTest, ThreePressesWithTheBenchBuffersGiveANernstLine)
{
    PressCalibrate();
    EXPECT_EQ(window->Button1->text(), QStringLiteral("&Valider pH 7"));
    EXPECT_TRUE(window->Edit2->isEnabled());
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("7"));
    EXPECT_FALSE(window->Button2->isEnabled());
    EXPECT_FALSE(window->RadioGroup1->isEnabled());
    EXPECT_TRUE(window->Timer2->isActive());
    EXPECT_TRUE(window->LabelInstruction->isVisibleTo(window.get()));
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer7);
    Reading();
    PressCalibrate();
    EXPECT_EQ(window->Button1->text(), QStringLiteral("&Valider pH 4"));
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
    Reading();
    PressCalibrate();
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Etal&onner"));
    EXPECT_FALSE(window->Edit2->isEnabled());
    EXPECT_FALSE(window->Timer2->isActive());
    EXPECT_TRUE(window->Button2->isEnabled());
    EXPECT_FALSE(window->LabelInstruction->isVisibleTo(window.get()));
    // The bench electrode follows -59,16 mV per pH; noise is about 1 mV.
    EXPECT_NEAR(window->Electrode().Slope(), -1 / 0.05916, 0.5);
    // A run's sample in the pH 10 buffer reads pH 10.
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer10);
    ToggleRun();
    Sample();
    EXPECT_NEAR(window->Electrode().VoltageToPH(window->Electrode().LastVoltage()), 10.0, 0.1);
}

TEST_F(CalibrationControllerTest, TypedBufferValueFollowsInTheCaption)
{
    PressCalibrate();
    PressCalibrate();
    window->Edit2->setFocus();
    window->Edit2->selectAll();
    QTest::keyClicks(window->Edit2, QStringLiteral("1"));
    EXPECT_EQ(window->Button1->text(), QStringLiteral("&Valider pH 1"));
    QTest::keyClicks(window->Edit2, QStringLiteral("0"));
    EXPECT_EQ(window->Button1->text(), QStringLiteral("&Valider pH 10"));
    PressCalibrate();
    EXPECT_DOUBLE_EQ(window->Electrode().BufferPH2(), 10.0);
}

TEST_F(CalibrationControllerTest, BufferTypedWithAPointIsReadWithTheComma)
{
    PressCalibrate();
    PressCalibrate();
    window->Edit2->setFocus();
    window->Edit2->selectAll();
    QTest::keyClicks(window->Edit2, QStringLiteral("4.01"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("4,01"));
    PressCalibrate();
    EXPECT_DOUBLE_EQ(window->Electrode().BufferPH2(), 4.01);
}

TEST_F(CalibrationControllerTest, UnreadableBufferIsReportedAndTheStepKept)
{
    QStringList errors;
    ErrorBox::SetPresenter([&](const QString& text) { errors << text; });
    PressCalibrate();
    window->Edit2->setText(QStringLiteral("sept"));
    ErrorBox::Guard([&] { window->Calibration().Button1Click(); return true; });
    ErrorBox::SetPresenter({});
    EXPECT_EQ(errors, QStringList{QStringLiteral("'sept' n'est pas une valeur en virgule flottante correcte")});
    EXPECT_EQ(window->Electrode().CalibrationStep(), 1);
    EXPECT_TRUE(window->Edit2->isEnabled());
    window->Edit2->setText(QStringLiteral("7"));
    window->Calibration().Button1Click();
    EXPECT_EQ(window->Electrode().CalibrationStep(), 2);
}

TEST_F(CalibrationControllerTest, EqualVoltagesShowTheMessageUntilTheNextPress)
{
    PressCalibrate();
    PressCalibrate();  // no reading in between: both points capture the same voltage
    PressCalibrate();
    EXPECT_EQ(window->StatusText(), ElectrodeCalibration::kEqualVoltagesMessage);
    PressCalibrate();
    EXPECT_TRUE(window->StatusText().isEmpty());
}

TEST_F(CalibrationControllerTest, DifferentialModeShowsU2AndHalvesTheDifference)
{
    window->RadioGroup1Items->button(1)->click();
    EXPECT_TRUE(window->Electrode().DifferentialMode());
    EXPECT_TRUE(window->Label6->isVisibleTo(window.get()));
    EXPECT_TRUE(window->Edit4->isVisibleTo(window.get()));
    PressCalibrate();
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
    Reading();
    // Channel 1 is the electrode, channel 2 about 0 V: U = V1 / 2.
    EXPECT_NEAR(window->Electrode().LastVoltage(), SimulatedBench::ElectrodeVoltage(4.0) / 2, 0.005);
    EXPECT_FALSE(window->Edit4->text().isEmpty());
    PressCalibrate();
    PressCalibrate();
    window->RadioGroup1Items->button(0)->click();
    EXPECT_FALSE(window->Label6->isVisibleTo(window.get()));
}

}  // namespace
