#include "board/BoardRangeError.h"
#include "board/EmulatedBoard.h"
#include "board/SimulatedBench.h"
#include "board/TTorviC.h"
#include "chemistry/TitrationConductivity.h"
#include "FakeClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Place = SimulatedBench::ElectrodePlace;
using Cell = SimulatedBench::CellPlace;
using Probe = SimulatedBench::Probe;
using Acid = SimulatedBench::Acid;

class SimulatedBenchTest : public ::testing::Test {
protected:
    // Pours `volumeMl` at the default flow, then closes the tap.
    void Pour(double volumeMl)
    {
        bench.OpenTap();
        clock.Advance(std::llround(volumeMl * SimulatedBench::kDefaultSecondsPerMl * 1000.0));
        bench.CloseTap();
    }

    // The electrode voltage of `pH` on this bench, noise aside.
    static double Expected(double pH) { return -0.05916 * (pH - 7.0) + SimulatedBench::kElectrodeOffsetV; }

    FakeClock clock;
    SimulatedBench bench{clock};
    EmulatedBoard board{bench, clock};
    TTorviC P{board, clock};
};

TEST_F(SimulatedBenchTest, Buffers_GiveTheNernstVoltageOnChannelOneAndZeroOnChannelTwo)
{
    const std::pair<Place, double> buffers[] = {{Place::Buffer4, 4.0}, {Place::Buffer7, 7.0}, {Place::Buffer10, 10.0}};
    for (const auto& [place, pH] : buffers) {
        SCOPED_TRACE(pH);
        bench.SetPlace(place);
        P.MeasureVoltages(15700, 15700.0);
        EXPECT_NEAR(P.Voltage1(), Expected(pH), 0.0003);
        EXPECT_NEAR(P.Voltage2(), 0.0, 0.0003);
    }
    // The slope the calibration will find: about 59 mV per pH, the higher voltage at the lower pH.
    bench.SetPlace(Place::Buffer4);
    P.MeasureVoltages(15700, 15700.0);
    const double at4 = P.Voltage1();
    bench.SetPlace(Place::Buffer7);
    P.MeasureVoltages(15700, 15700.0);
    EXPECT_NEAR((at4 - P.Voltage1()) / 3.0, 0.05916, 0.0002);
}

TEST_F(SimulatedBenchTest, Noise_IsAboutOneMillivoltPerConversion)
{
    double sum = 0.0;
    double squares = 0.0;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const double deviation = bench.Voltage(1, 0.0) - Expected(7.0);
        sum += deviation;
        squares += deviation * deviation;
    }
    const double mean = sum / kDraws;
    EXPECT_NEAR(mean, 0.0, 0.00005);
    EXPECT_NEAR(std::sqrt(squares / kDraws - mean * mean), 0.001, 0.0001);
}

TEST_F(SimulatedBenchTest, Burette_PoursWithTheClockAtItsFlow)
{
    EXPECT_EQ(bench.PouredVolumeMl(), 0.0);
    bench.OpenTap();
    clock.Advance(12'500);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 2.5);
    bench.CloseTap();
    clock.Advance(60'000);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 2.5);

    bench.SetSecondsPerMl(2.0);
    bench.OpenTap();
    clock.Advance(3'000);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 4.0);
    // A new flow applies from the moment it is set.
    bench.SetSecondsPerMl(10.0);
    clock.Advance(5'000);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 4.5);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMlAt(static_cast<double>(clock.NowMs()) + 10'000.0), 5.5);

    clock.Advance(1'000'000);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), SimulatedBench::kBuretteCapacityMl);
    EXPECT_TRUE(bench.BuretteEmpty());

    bench.NewBeaker();
    EXPECT_FALSE(bench.TapOpen());
    EXPECT_EQ(bench.PouredVolumeMl(), 0.0);
    EXPECT_FALSE(bench.BuretteEmpty());
}

TEST_F(SimulatedBenchTest, Burette_RefusesFlowsOutsideItsRange)
{
    for (const double seconds : {0.0, 0.5, -3.0, 601.0, std::nan("")}) {
        EXPECT_THROW(bench.SetSecondsPerMl(seconds), BoardRangeError) << seconds;
        EXPECT_EQ(bench.SecondsPerMl(), SimulatedBench::kDefaultSecondsPerMl);
    }
}

struct TitrationCase {
    Acid acid;
    double volumeMl;
    double pH;  // from the textbook formulas, computed below
};

// Textbook pH of 20 mL of acid at 0.01 mol/L with v mL of NaOH at 0.01 mol/L.
double StrongAcidPH(double v)
{
    const double excessAcid = (0.01 * 20.0 - 0.01 * v) / (20.0 + v);
    if (std::abs(excessAcid) < 1e-12)
        return 7.0;
    return excessAcid > 0 ? -std::log10(excessAcid) : 14.0 + std::log10(-excessAcid);
}

double WeakAcidPH(double v)
{
    const double pKa = 4.76;
    const double acid = 0.01 * 20.0;
    const double base = 0.01 * v;
    const double total = 20.0 + v;
    if (v == 0.0)
        return 0.5 * (pKa - std::log10(acid / total));
    if (base < acid)
        return pKa + std::log10(base / (acid - base));
    if (base == acid)
        return 7.0 + 0.5 * (pKa + std::log10(acid / total));
    return 14.0 + std::log10((base - acid) / total);
}

TEST_F(SimulatedBenchTest, Titration_FollowsTheChargeBalanceBeforeAtAndAfterEquivalence)
{
    const double volumes[] = {0.0, 5.0, 10.0, 15.0, 20.0, 25.0, 30.0};
    for (const Acid acid : {Acid::Hydrochloric, Acid::Ethanoic}) {
        bench.SetAcid(acid);
        double poured = 0.0;
        for (const double volume : volumes) {
            Pour(volume - poured);
            poured = volume;
            ASSERT_DOUBLE_EQ(bench.PouredVolumeMl(), volume);
            const double expected = acid == Acid::Hydrochloric ? StrongAcidPH(volume) : WeakAcidPH(volume);
            EXPECT_NEAR(bench.BeakerPH(), expected, 0.05) << static_cast<int>(acid) << " at " << volume << " mL";
        }
    }
}

TEST_F(SimulatedBenchTest, Titration_WeakAcidAtHalfEquivalenceGivesItsPKa)
{
    bench.SetAcid(Acid::Ethanoic);
    Pour(10.0);
    EXPECT_NEAR(bench.BeakerPH(), 4.76, 0.02);
}

TEST_F(SimulatedBenchTest, Titration_MeasuredThroughTheBoardGivesTheBeakersPH)
{
    bench.SetPlace(Place::Beaker);
    Pour(15.0);
    P.MeasureVoltages(15700, 15700.0);
    const double measuredPH = 7.0 + (P.Voltage1() - SimulatedBench::kElectrodeOffsetV) / -0.05916;
    EXPECT_NEAR(measuredPH, StrongAcidPH(15.0), 0.01);

    // With the tap open the board averages the pH over the second of the measurement.
    bench.OpenTap();
    P.MeasureVoltages(15700, 15700.0);
    const double averagedPH = 7.0 + (P.Voltage1() - SimulatedBench::kElectrodeOffsetV) / -0.05916;
    EXPECT_GT(averagedPH, StrongAcidPH(15.0) + 0.005);
    EXPECT_LT(averagedPH, StrongAcidPH(15.2));
}

// The beaker's conductivity from the chemistry: 0,2 mmol of acid in 20 mL plus the added water.
double BeakerSigma(Acid acid, double waterMl, double pouredMl)
{
    TitrationChemistry::Titration t;
    t.species = acid == Acid::Hydrochloric ? TitrationChemistry::Species::StrongAcid
                                           : TitrationChemistry::Species::WeakAcid;
    t.pKa = 4.76;
    t.beakerVolumeMl = 20.0 + waterMl;
    t.beakerMolPerL = 0.2 / t.beakerVolumeMl;
    t.buretteMolPerL = 0.01;
    return TitrationConductivity::MilliSiemensPerCm(t, pouredMl);
}

TEST_F(SimulatedBenchTest, Cell_GivesItsConductivityThroughTheMetersLinearOutput)
{
    const struct {
        Cell place;
        Acid acid;
        double waterMl;
        double pouredMl;
        double sigma;  // mS/cm
    } cases[] = {
        {Cell::DistilledWater, Acid::Hydrochloric, 0.0, 0.0, 0.001},
        {Cell::KClStandard, Acid::Hydrochloric, 0.0, 0.0, 1.413},
        {Cell::Beaker, Acid::Hydrochloric, 0.0, 0.0, BeakerSigma(Acid::Hydrochloric, 0.0, 0.0)},
        {Cell::Beaker, Acid::Hydrochloric, 0.0, 5.0, BeakerSigma(Acid::Hydrochloric, 0.0, 5.0)},
        {Cell::Beaker, Acid::Hydrochloric, 0.0, 20.0, BeakerSigma(Acid::Hydrochloric, 0.0, 20.0)},
        {Cell::Beaker, Acid::Hydrochloric, 0.0, 30.0, BeakerSigma(Acid::Hydrochloric, 0.0, 30.0)},
        {Cell::Beaker, Acid::Ethanoic, 0.0, 10.0, BeakerSigma(Acid::Ethanoic, 0.0, 10.0)},
        {Cell::Beaker, Acid::Ethanoic, 0.0, 25.0, BeakerSigma(Acid::Ethanoic, 0.0, 25.0)},
        // Diluted ten times: 10 x (34,98 + 7,63) x 0,001 mol/L of H3O+ and Cl-.
        {Cell::Beaker, Acid::Hydrochloric, 180.0, 0.0, 0.4261},
        {Cell::Beaker, Acid::Hydrochloric, 180.0, 15.0, BeakerSigma(Acid::Hydrochloric, 180.0, 15.0)},
    };
    bench.SetProbe(Probe::ConductivityCell);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.place) << " acid " << static_cast<int>(c.acid) << ", "
                                        << c.waterMl << " mL of water, " << c.pouredMl << " mL poured");
        bench.SetAcid(c.acid);
        bench.SetAddedWaterMl(c.waterMl);
        Pour(c.pouredMl);
        bench.DipCell(c.place);
        EXPECT_NEAR(bench.CellConductivityAt(static_cast<double>(clock.NowMs())), c.sigma, 0.0002);
        P.MeasureVoltages(15700, 15700.0);
        // 0,2 V per mS/cm and 3 mV of offset; the mean of a second of readings within 0,3 mV.
        EXPECT_NEAR((P.Voltage1() - 0.003) / 0.2, c.sigma, 0.0015);
        EXPECT_NEAR(P.Voltage2(), 0.0, 0.0003);
    }
    // The meter's output stops at its full scale, 20 mS/cm.
    EXPECT_DOUBLE_EQ(SimulatedBench::CellVoltage(35.0), SimulatedBench::CellVoltage(20.0));
    EXPECT_NEAR(SimulatedBench::CellVoltage(20.0), 4.003, 1e-12);
}

TEST_F(SimulatedBenchTest, Probe_ChangeKeepsTheBuretteTheBeakerAndEachProbesPlace)
{
    bench.SetAddedWaterMl(180.0);
    bench.SetPlace(Place::Beaker);
    bench.OpenTap();
    clock.Advance(50'000);
    // 0,1 mmol of acid left in 210 mL.
    const double pHAtTen = bench.BeakerPH();
    EXPECT_NEAR(pHAtTen, -std::log10(0.1 / 210.0), 0.005);

    bench.SetProbe(Probe::ConductivityCell);
    EXPECT_EQ(bench.CellDippedIn(), Cell::DistilledWater);
    bench.DipCell(Cell::Beaker);
    EXPECT_TRUE(bench.TapOpen());
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 10.0);
    EXPECT_EQ(bench.AddedWaterMl(), 180.0);
    EXPECT_EQ(bench.BeakerVolumeMl(), 200.0);
    EXPECT_NEAR(bench.Voltage(1, static_cast<double>(clock.NowMs())),
                SimulatedBench::CellVoltage(BeakerSigma(Acid::Hydrochloric, 180.0, 10.0)), 0.005);

    clock.Advance(5'000);
    bench.SetProbe(Probe::PHElectrode);
    EXPECT_DOUBLE_EQ(bench.PouredVolumeMl(), 11.0);
    EXPECT_EQ(bench.Place(), Place::Beaker);
    EXPECT_EQ(bench.CellDippedIn(), Cell::Beaker);
    // Channel 1 is the electrode again, still in the beaker, where the pH went on rising.
    EXPECT_NEAR(bench.BeakerPH(), -std::log10(0.09 / 211.0), 0.005);
    EXPECT_GT(bench.BeakerPH(), pHAtTen + 0.04);
    EXPECT_NEAR(bench.Voltage(1, static_cast<double>(clock.NowMs())), SimulatedBench::ElectrodeVoltage(bench.BeakerPH()),
                0.005);

    // A volume of water out of range is refused and the beaker stays.
    for (const double water : {-1.0, 501.0, std::nan("")})
        EXPECT_THROW(bench.SetAddedWaterMl(water), BoardRangeError) << water;
    EXPECT_TRUE(bench.TapOpen());
    EXPECT_EQ(bench.AddedWaterMl(), 180.0);
}

}  // namespace
