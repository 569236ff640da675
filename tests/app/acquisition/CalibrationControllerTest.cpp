#include "acquisition/CalibrationController.h"
#include "acquisition/CalibrationMemory.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/MeasurementRun.h"
#include "board/SimulatedBench.h"
#include "RunFixture.h"
#include "support/ErrorBox.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>

namespace {

class CalibrationControllerTest : public RunFixture {
protected:
    void PressCalibrate() { PressEnterOn(window->Button1); }
    // The three presses with the bench's buffers 7 and 4, one live reading before each capture.
    void Calibrate()
    {
        PressCalibrate();
        bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer7);
        Reading();
        PressCalibrate();
        bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
        Reading();
        PressCalibrate();
    }
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
    ErrorBox::Guard([&] { window->Calibration().Button1Click(window->Edit2->text()); });
    ErrorBox::SetPresenter({});
    EXPECT_EQ(errors, QStringList{QStringLiteral("'sept' n'est pas une valeur en virgule flottante correcte")});
    EXPECT_EQ(window->Electrode().CalibrationStep(), 1);
    EXPECT_TRUE(window->Edit2->isEnabled());
    window->Edit2->setText(QStringLiteral("7"));
    window->Calibration().Button1Click(window->Edit2->text());
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

TEST_F(CalibrationControllerTest, ACompletedCalibrationIsTakenBackAtTheNextStart)
{
    QSettings settings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
    const double standardSlope = window->Electrode().Slope();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Pas d'étalonnage : coefficients standard"));
    // Equal voltages fall back on the standard difference: nothing worth keeping.
    for (int press = 0; press < 3; ++press)
        PressCalibrate();
    EXPECT_FALSE(settings.contains(QStringLiteral("Etalonnage/Pente")));

    window->RadioGroup1Items->button(1)->click();
    Calibrate();
    const double slope = window->Electrode().Slope();
    const double intercept = window->Electrode().Intercept();
    ASSERT_NE(slope, standardSlope);

    const auto refusingBoard = [this] {
        return CreateBoard({QStringLiteral("--carte-reelle")}, QString(), clock, [](QString& error) {
            error = QStringLiteral("Carte refusée.");
            return std::unique_ptr<PortBus>();
        });
    };
    const struct {
        const char* name;
        std::function<BoardSetup()> board;
        const char* damage;  // a value written over the kept one, or none
        QString status;      // a pattern
        bool taken;
    } starts[] = {
        {"kept", [this] { return CreateBoard(QStringList(), QString(), clock, nullptr); }, nullptr,
         QStringLiteral("^Étalonnage du \\d{1,2}/\\d{1,2}/\\d{4} à \\d\\d:\\d\\d repris : pente 100 %$"), true},
        // The board's refusal keeps the priority; the bench it falls back on is the board of the
        // calibration.
        {"board refused", refusingBoard, nullptr, QStringLiteral("^Carte refusée\\. Quorin fonctionne sur le banc"), true},
        {"damaged", [this] { return CreateBoard(QStringList(), QString(), clock, nullptr); }, "Etalonnage/Date",
         QStringLiteral("^Pas d'étalonnage : coefficients standard$"), false},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        if (start.damage)
            settings.setValue(QLatin1String(start.damage), QStringLiteral("\x01\x02 illisible"));
        MakeWindow(start.board());
        EXPECT_TRUE(QRegularExpression(start.status).match(window->StatusText()).hasMatch())
            << window->StatusText().toStdString();
        EXPECT_EQ(window->Electrode().Slope(), start.taken ? slope : standardSlope);
        EXPECT_EQ(window->Electrode().Intercept(), start.taken ? intercept : 7.0);
        // The electrode mode comes back with the line.
        EXPECT_EQ(window->RadioGroup1Items->checkedId(), start.taken ? 1 : 0);
        EXPECT_EQ(window->Electrode().DifferentialMode(), start.taken);
        EXPECT_EQ(window->Edit4->isVisibleTo(window.get()), start.taken);
    }
}

}  // namespace
