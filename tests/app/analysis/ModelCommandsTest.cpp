#include "analysis/ModelCommands.h"

#include "analysis/AnalysisCommands.h"
#include "analysis/ModelDialog.h"
#include "chemistry/MixtureFit.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "files/DataCommands.h"
#include "report/ReportCommands.h"
#include "RunFixture.h"
#include "window/RecordChart.h"

#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QValueAxis>

#include <random>

namespace {

using namespace TitrationChemistry;

class ModelCommandsTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        analysis = window->findChild<AnalysisCommands*>();
        ASSERT_NE(analysis, nullptr);
        model = &analysis->Model();
    }

    // A record of 20 mL of a weak acid (pKa 4,76) at `molPerL` titrated by soda at 0,01 mol/L,
    // every 0,2 mL up to 30 mL, read within +-0,02 pH, in the table's cell formats.
    void FillWeakAcidRecord(double molPerL)
    {
        Titration t;
        t.species = Species::WeakAcid;
        t.beakerMolPerL = molPerL;
        std::mt19937 random(5);
        std::uniform_real_distribution<double> reading(-0.02, 0.02);
        QString text;
        for (int i = 0; i <= 150; ++i) {
            const double ml = i * 0.2;
            text += NumberText::Fixed(PH(t, ml) + reading(random), 5, 3) + QLatin1Char('\t')
                    + NumberText::Fixed(ml / 1000.0, 6, 6) + QLatin1Char('\r');
        }
        MeasurementTextIo::FillTableFromText(window->Record(), text);
        window->Record().RebuildChart();
    }

    // Opens "&Modéliser..." and, while the dialog is up, runs `act` on it.
    void Modeliser(const std::function<void(ModelDialog&)>& act)
    {
        model->SetModalRunner([&](QDialog& dialog) { act(static_cast<ModelDialog&>(dialog)); });
        analysis->ModeliserAction()->trigger();
    }

    bool OnChart(QAbstractSeries* series) const
    {
        return series && window->Chart1->chart()->series().contains(series);
    }

    QStringList LegendNames() const
    {
        QStringList names;
        const QLegend* legend = window->Chart1->chart()->legend();
        if (!legend->isVisible())
            return names;
        for (QLegendMarker* marker : legend->markers())
            if (marker->isVisible())
                names << marker->label();
        return names;
    }

    AnalysisCommands* analysis = nullptr;
    ModelCommands* model = nullptr;
};

TEST_F(ModelCommandsTest, FitsTheWeakAcidAndDrawsItOverTheRecord)
{
    // The comment's quantities fill the dialog; Va there is in litres.
    HeaderValues& values = window->Data().Document().Values();
    values.beakerConcentration = QStringLiteral("0,012");
    values.buretteConcentration = QStringLiteral("0,01");
    values.beakerVolume = QStringLiteral("0,020");
    // With no points the model is drawn up to twice its equivalence volume.
    Modeliser([&](ModelDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorin : Modélisation"));
        EXPECT_EQ(dialog.BeakerEdit()->text(), QStringLiteral("0,012"));
        EXPECT_EQ(dialog.BuretteEdit()->text(), QStringLiteral("0,01"));
        EXPECT_EQ(dialog.VolumeEdit()->text(), QStringLiteral("20"));
        dialog.TracerButton()->click();
    });
    QLineSeries* series = model->ModelSeries();
    ASSERT_TRUE(OnChart(series));
    EXPECT_EQ(series->points().back().x(), 48.0);
    EXPECT_GE(window->Chart1->BottomAxis()->max(), 48.0);
    EXPECT_FALSE(model->LastFit().has_value());

    FillWeakAcidRecord(0.0105);
    EXPECT_FALSE(OnChart(series));
    values.beakerConcentration = QStringLiteral("pas un nombre");
    Modeliser([&](ModelDialog& dialog) {
        EXPECT_EQ(dialog.BeakerEdit()->text(), QStringLiteral("0,012"));
        // The dialog opens on the model the curve suggests, with the pKa it reads there.
        EXPECT_EQ(dialog.SpeciesBox()->currentText(), QStringLiteral("acide faible"));
        EXPECT_EQ(dialog.ReagentBox()->currentText(), QStringLiteral("base forte"));
        ASSERT_EQ(dialog.CouplesTable()->rowCount(), 1);
        EXPECT_NEAR(NumberText::Parse(dialog.CouplesTable()->item(0, 1)->text()), 4.76, 0.05);
        dialog.CouplesTable()->item(0, 1)->setText(QStringLiteral("4.3"));  // a point typed by habit reads too
        dialog.AjusterButton()->click();
        EXPECT_EQ(dialog.ResultLabel()->text(), window->StatusText());
    });

    static const QRegularExpression pattern(QStringLiteral(
        "^Modèle : Ca = \\((\\d,\\d+) ± (\\d,\\d+)\\) × 10⁻² mol/L ; pKa = (\\d,\\d+) ± (\\d,\\d+) ; "
        "écart-type (\\d,\\d\\d) pH ; Ve = (\\d+,\\d\\d) mL$"));
    const QRegularExpressionMatch match = pattern.match(window->StatusText());
    ASSERT_TRUE(match.hasMatch()) << window->StatusText().toStdString();
    EXPECT_NEAR(NumberText::Parse(match.captured(1)), 1.05, 0.0105);
    EXPECT_NEAR(NumberText::Parse(match.captured(3)), 4.76, 0.05);
    EXPECT_NEAR(NumberText::Parse(match.captured(6)), 21.0, 0.21);
    EXPECT_NEAR(NumberText::Parse(model->Dialog().BeakerEdit()->text()), 0.0105, 0.0002);

    // The fitted curve: over the record's volumes, dashed, in its own colour, alone in the legend.
    ASSERT_TRUE(OnChart(series));
    EXPECT_EQ(series->points().front().x(), 0.0);
    EXPECT_EQ(series->points().back().x(), 30.0);
    EXPECT_EQ(series->pen().style(), Qt::DashLine);
    EXPECT_NE(series->pen().color(), window->Chart1->Series1()->pen().color());
    EXPECT_NE(series->pen().color(), window->Chart1->PointColour());
    QChart* chart = window->Chart1->chart();
    EXPECT_EQ(chart->axes(Qt::Horizontal, series), QList<QAbstractAxis*>{window->Chart1->BottomAxis()});
    EXPECT_EQ(chart->axes(Qt::Vertical, series), QList<QAbstractAxis*>{window->Chart1->LeftAxis()});
    // The legend shows once the chart has laid it out.
    analysis->DeriveeAction()->setChecked(true);
    const QStringList named = {QStringLiteral("Modèle : acide faible")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return LegendNames() == named; }, 2000)) << LegendNames().join(QLatin1Char('|')).toStdString();

    // The model's lines come after the equivalence's and the tangents'.
    analysis->MethodeTangentesAction()->trigger();
    analysis->CopierResultatsAction()->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'), Qt::SkipEmptyParts);
    // Between them, the uncertainties of the three methods (u(Ve) only: no Cb and Va given).
    ASSERT_EQ(lines.size(), 3 + 3 * 6 + 2 + 7) << QGuiApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Volume à l'équivalence en mL\t")));
    EXPECT_EQ(lines[3 + 2 * 6], QStringLiteral("Incertitudes selon la méthode\tmodèle"));
    EXPECT_TRUE(lines[21].startsWith(QStringLiteral("Volume à l'équivalence (tangentes) en mL\t")));
    EXPECT_EQ(lines[23], QStringLiteral("Modèle\tacide faible titré par une base forte"));
    EXPECT_TRUE(lines[29].startsWith(QStringLiteral("Volume à l'équivalence du modèle en mL\t")));
    EXPECT_EQ(lines.mid(23).join(QLatin1Char('\r')) + QLatin1Char('\r'), model->ClipboardLines());

    // The lab report prints the fitted model after the equivalence results and the tangents.
    const QStringList printed = window->findChild<ReportCommands*>()->Content().results;
    ASSERT_GE(printed.size(), 6);
    EXPECT_TRUE(printed.front().startsWith(QStringLiteral("Volume à l'équivalence : Ve = ")));
    EXPECT_TRUE(printed[printed.size() - 3].startsWith(QStringLiteral("Méthode des tangentes : Ve = ")));
    EXPECT_EQ(printed.back(), MixtureFit::ResultText(*model->LastFit()));
}

TEST_F(ModelCommandsTest, RefusalsLeaveTheModelAndARecordChangeTakesItAway)
{
    FillWeakAcidRecord(0.01);
    Modeliser([&](ModelDialog& dialog) {
        dialog.SpeciesBox()->setCurrentIndex(1);
        dialog.AjusterButton()->click();
    });
    ASSERT_TRUE(model->LastFit().has_value()) << window->StatusText().toStdString();
    const QList<QPointF> fitted = model->ModelSeries()->points();
    const double fittedMolPerL = model->LastFit()->model.titration.beaker.front().molPerL;

    struct Case {
        const char* name;
        std::function<void(ModelDialog&)> set;
        const char* refusal;
    };
    const Case cases[] = {
        {"BaseModelOnARisingCurve", [](ModelDialog& d) { d.SpeciesBox()->setCurrentIndex(3); },
         "Le modèle choisi fait descendre le pH, la courbe mesurée monte"},
        {"UnreadableCa", [](ModelDialog& d) { d.BeakerEdit()->setText(QStringLiteral("abc")); },
         "« abc » ne convient pas pour Ca"},
        {"NothingTicked",
         [](ModelDialog& d) {
             d.AdjustBeaker()->setChecked(false);
             d.CouplesTable()->item(0, 0)->setCheckState(Qt::Unchecked);
         },
         "Aucun paramètre à ajuster"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Modeliser([&](ModelDialog& dialog) {
            c.set(dialog);
            dialog.AjusterButton()->click();
            EXPECT_TRUE(dialog.ResultLabel()->text().startsWith(QString::fromUtf8(c.refusal)))
                << dialog.ResultLabel()->text().toStdString();
            EXPECT_TRUE(dialog.ResultLabel()->text().endsWith(QStringLiteral("Le modèle déjà tracé reste affiché.")));
            // Back to the fitted model's state for the next case.
            dialog.SpeciesBox()->setCurrentIndex(1);
            dialog.BeakerEdit()->setText(QStringLiteral("0,01"));
            dialog.AdjustBeaker()->setChecked(true);
            dialog.CouplesTable()->item(0, 0)->setCheckState(Qt::Checked);
        });
        EXPECT_TRUE(window->StatusText().startsWith(QString::fromUtf8(c.refusal)));
        ASSERT_TRUE(model->LastFit().has_value());
        EXPECT_EQ(model->LastFit()->model.titration.beaker.front().molPerL, fittedMolPerL);
        EXPECT_EQ(model->ModelSeries()->points(), fitted);
    }

    // During a run the record has no volumes: nothing to fit, and the old model goes.
    ToggleRun();
    EXPECT_FALSE(OnChart(model->ModelSeries()));
    EXPECT_FALSE(model->LastFit().has_value());
    EXPECT_TRUE(QTest::qWaitFor([&] { return LegendNames().isEmpty(); }, 2000));
    Modeliser([&](ModelDialog& dialog) { dialog.AjusterButton()->click(); });
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Le modèle se compare à la courbe en fonction du volume")));
    ToggleRun();
    EXPECT_TRUE(model->ClipboardLines().isEmpty());
}

}  // namespace
