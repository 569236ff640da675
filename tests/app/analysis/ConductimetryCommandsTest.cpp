#include "TestWindow.h"

#include "acquisition/QuantityChoice.h"
#include "analysis/AnalysisCommands.h"
#include "analysis/ConductimetryCommands.h"
#include "board/SimulatedBench.h"
#include "chemistry/TitrationConductivity.h"
#include "data/ClipboardText.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/PointTableExport.h"
#include "data/TypedMeasurements.h"
#include "files/DataCommands.h"
#include "report/ReportCommands.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QGraphicsSimpleTextItem>
#include <QGuiApplication>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSettings>
#include <QValueAxis>

#include <gtest/gtest.h>

namespace {

class ConductimetryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().remove(QuantityChoice::kSettingsKey);
        window = std::make_unique<TestWindow>();
        analysis = window->findChild<AnalysisCommands*>();
    }
    void TearDown() override
    {
        window.reset();
        QSettings().remove(QuantityChoice::kSettingsKey);
    }
    // 20 mL of hydrochloric acid at 0,01 mol/L by soda at 0,01 mol/L (Ve = 20 mL), read at
    // each millilitre, with the beaker's quantities confirmed or not.
    void FillHydrochloric(bool vaKnown)
    {
        QList<TypedMeasurements::Point> points;
        for (int v = 0; v <= 32; ++v)
            points.append({double(v), TitrationConductivity::MilliSiemensPerCm(TitrationChemistry::Acid::Hydrochloric,
                                                                                0.01, 20.0, 0.01, v)});
        window->Record().ReplaceTable(TypedMeasurements::Rows(points, window->Record().Quantity()),
                                      static_cast<int>(points.size()));
        window->Record().RebuildChart();
        HeaderValues& values = window->Data().Document().Values();
        values.beakerVolume = QStringLiteral("0,020");
        values.buretteConcentration = QStringLiteral("0,01");
        values.quantitiesConfirmed = vaKnown;
    }
    bool Shown(const char* name) const
    {
        for (QAbstractSeries* s : window->Chart1->chart()->series())
            if (s->objectName() == QLatin1String(name))
                return true;
        return false;
    }

    std::unique_ptr<TestWindow> window;
    AnalysisCommands* analysis = nullptr;
};

TEST_F(ConductimetryCommandsTest, Quantity_EveryViewFollowsTheChoiceWhichIsKept)
{
    struct Case {
        QAction* (*item)(const MainMenu&);
        MeasuredQuantity quantity;
        const char* caption;
        const char* copied;
        const char* axis;
        SimulatedBench::Probe probe;
    };
    const Case cases[] = {
        {[](const MainMenu& m) { return m.GrandeurConductivite1; }, MeasuredQuantity::ConductivityMilliSiemens,
         "σ (mS/cm)", "Conductivité (mS/cm)", "Conductivité σ, en mS/cm", SimulatedBench::Probe::ConductivityCell},
        {[](const MainMenu& m) { return m.UniteMicroSiemens1; }, MeasuredQuantity::ConductivityMicroSiemens,
         "σ (µS/cm)", "Conductivité (µS/cm)", "Conductivité σ, en µS/cm", SimulatedBench::Probe::ConductivityCell},
        {[](const MainMenu& m) { return m.GrandeurPH1; }, MeasuredQuantity::PH, "pH", "pH", "pH",
         SimulatedBench::Probe::PHElectrode},
    };
    for (const Case& c : cases) {
        c.item(window->Menu())->trigger();
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(QuantityChoice::Remembered(QSettings()), c.quantity);
        EXPECT_EQ(window->Data().Document().Values().quantity, c.quantity);
        EXPECT_EQ(window->Record().Cell(MeasurementRecord::ColPH, 0), QString::fromUtf8(c.caption));
        EXPECT_EQ(ClipboardText::BuildClipboardTextComma(window->Record()).section(QLatin1Char('\r'), 0, 0),
                  QStringLiteral("Volume versé en L\t") + QString::fromUtf8(c.copied));
        EXPECT_EQ(PointTableExport::FromRecord(window->Record()).pHCaption, QString::fromUtf8(c.copied));
        EXPECT_EQ(window->Chart1->LeftAxis()->titleText(), QString::fromUtf8(c.axis));
        EXPECT_EQ(window->BoardInUse().bench->ProbeInUse(), c.probe);
        const bool pH = c.quantity == MeasuredQuantity::PH;
        EXPECT_EQ(analysis->DeriveeAction()->isEnabled(), pH);
        EXPECT_EQ(analysis->MethodeTangentesAction()->isEnabled(), pH);
        EXPECT_EQ(analysis->ModeliserAction()->toolTip().startsWith(QStringLiteral("Sans objet")), !pH);
        EXPECT_EQ(window->Menu().UniteMicroSiemens1->isEnabled(), !pH);
    }
}

TEST_F(ConductimetryCommandsTest, Equivalence_TwoLinesTheirCrossingCaAndTheDilutionSaidOrCorrected)
{
    window->Menu().GrandeurConductivite1->trigger();
    for (const bool vaKnown : {true, false}) {
        SCOPED_TRACE(vaKnown);
        FillHydrochloric(vaKnown);
        analysis->PointEquivalenceClick();
        static const QRegularExpression ve(QStringLiteral("^Équivalence \\(conductimétrie\\) : Ve = (\\d+,\\d\\d) mL ; "
                                                          "u\\(Ve\\) = (\\d,\\d+) mL ; (.*)$"));
        const QRegularExpressionMatch match = ve.match(window->StatusText());
        ASSERT_TRUE(match.hasMatch()) << window->StatusText().toStdString();
        // Without the correction the dilution (here up to 60 % of the beaker) bends both
        // branches, and the chart says so.
        EXPECT_NEAR(NumberText::Parse(match.captured(1)), 20.0, vaKnown ? 0.1 : 5.0);
        auto* notice = analysis->Conductimetry().UncorrectedNotice();
        EXPECT_EQ(notice && notice->isVisible(), !vaKnown);
        EXPECT_EQ(match.captured(3).startsWith(QStringLiteral("Ca = ")), vaKnown) << match.captured(3).toStdString();
        EXPECT_TRUE(Shown("DroiteAvantEquivalence"));
        EXPECT_TRUE(Shown("DroiteApresEquivalence"));
        EXPECT_TRUE(Shown("MarqueEquivalenceConductimetrie"));
        EXPECT_EQ(Shown("SerieCorrigeeDilution"), vaKnown);

        analysis->CopierResultatsClick();
        const QString copied = QGuiApplication::clipboard()->text();
        EXPECT_TRUE(copied.startsWith(QStringLiteral("Volume à l'équivalence (conductimétrie) en mL\t")));
        EXPECT_EQ(copied.contains(QStringLiteral("Concentration dans le bécher en mol/L\t")), vaKnown);
        // The intersection's uncertainties follow, and no pH method's.
        EXPECT_TRUE(copied.contains(QStringLiteral("Incertitudes selon la méthode\tconductimétrie (intersection)\r")));
        EXPECT_FALSE(copied.contains(QStringLiteral("pic de la dérivée")));
        const QStringList printed = window->findChild<ReportCommands*>()->Content().results;
        ASSERT_FALSE(printed.isEmpty());
        EXPECT_TRUE(printed.front().startsWith(QStringLiteral("Équivalence (conductimétrie) : Ve = ")));
        EXPECT_TRUE(printed.join(QLatin1Char('\n')).contains(QStringLiteral("Incertitudes (conductimétrie (intersection))")));
    }
    // The student's ranges: every point of each is fitted, and the report says so.
    analysis->Conductimetry().SetRanges(ConductimetryCommands::Ranges{{2, 12}, {26, 32}});
    analysis->PointEquivalenceClick();
    ASSERT_TRUE(analysis->Conductimetry().Last());
    EXPECT_DOUBLE_EQ(analysis->Conductimetry().Last()->beforeRange.fromMl, 2.0);
    EXPECT_EQ(analysis->Conductimetry().Last()->before.count, 11);
    EXPECT_TRUE(analysis->Conductimetry().ReportLines().join(QLatin1Char('\n')).contains(QStringLiteral("domaines choisis")));
    // A straight line has no break: refused in the status, nothing drawn.
    analysis->Conductimetry().SetRanges(std::nullopt);
    QList<TypedMeasurements::Point> line;
    for (int v = 0; v <= 20; ++v)
        line.append({double(v), 1.0 + 0.05 * v});
    window->Record().ReplaceTable(TypedMeasurements::Rows(line, window->Record().Quantity()), 21);
    window->Record().RebuildChart();
    analysis->PointEquivalenceClick();
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Pas de rupture de pente"))) << window->StatusText().toStdString();
    EXPECT_FALSE(Shown("DroiteAvantEquivalence"));
}

}  // namespace
