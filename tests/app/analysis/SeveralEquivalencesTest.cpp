#include "analysis/AnalysisCommands.h"
#include "analysis/DistributionCommands.h"
#include "analysis/ModelCommands.h"
#include "analysis/ModelDialog.h"
#include "analysis/TangentCommands.h"
#include "ChargeBalanceOracle.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/TFDgCommentaire.h"
#include "files/DataCommands.h"
#include "report/ReportCommands.h"
#include "RunFixture.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QValueAxis>

namespace {

namespace Oracle = ChargeBalanceOracle;

class SeveralEquivalencesTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        analysis = window->findChild<AnalysisCommands*>();
        ASSERT_NE(analysis, nullptr);
        model = &analysis->Model();
    }

    // The oracle's readings every 0,2 mL up to 30 mL, within +-0,02 pH, as the table holds them;
    // Cb = 0,1 mol/L and Va = 10 mL confirmed in the comment dialog.
    void FillRecord(const Oracle::Beaker& beaker)
    {
        QString text;
        for (const QPointF& p : Oracle::Readings(beaker, 0.2, 30.0, 0.02, 7))
            text += NumberText::Fixed(p.y(), 5, 3) + QLatin1Char('\t') + NumberText::Fixed(p.x() / 1000.0, 6, 6)
                    + QLatin1Char('\r');
        MeasurementTextIo::FillTableFromText(window->Record(), text);
        window->Record().RebuildChart();
        window->Data().SetModalRunner([](QDialog& dialog) {
            static_cast<TFDgCommentaire&>(dialog).Edit3()->setText(QStringLiteral("0,1"));
            static_cast<TFDgCommentaire&>(dialog).Edit4()->setText(QStringLiteral("0,010"));
        });
        window->Menu().Ajouteruncommentaire1->trigger();
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

    AnalysisCommands* analysis = nullptr;
    ModelCommands* model = nullptr;
};

double Number(const QString& text)
{
    return NumberText::Parse(text);
}

TEST_F(SeveralEquivalencesTest, EveryJumpWithItsConcentrationsInTheStatusChartCopyAndReport)
{
    struct Case {
        const char* name;
        Oracle::Beaker beaker;
        const char* mixture;  // the second species of a mixture model drawn first, or null
        // What the status ends with: for one species, the first step's Ve and Ca (from that step
        // alone) with their uncertainties; for a mixture, each species' C, then u(Ve) only.
        const char* concentrations;
    };
    const Case cases[] = {
        {"phosphoric acid", Oracle::PhosphoricAcid(), nullptr,
         " ; Ve = \\([^)]*\\) mL ; Ca = \\((\\d+,\\d+) ± [^)]*\\)( × 10⁻²)? mol/L$"},
        {"sodium carbonate", Oracle::SodiumCarbonate(), nullptr,
         " ; Ve = \\([^)]*\\) mL ; Ca = \\((\\d+,\\d+) ± [^)]*\\)( × 10⁻²)? mol/L$"},
        {"hydrochloric and ethanoic acids", Oracle::HydrochloricAndEthanoic(), "acide éthanoïque",
         " ; C1 = (\\d,\\d\\d) × 10⁻¹ mol/L ; C2 = (\\d,\\d\\d) × 10⁻¹ mol/L ; Ve = \\([^)]*\\) mL$"},
    };
    static const QRegularExpression jumps(QStringLiteral(
        "^Équivalence 1 : Ve = (\\d+,\\d\\d) mL ; pH = (\\d+,\\d\\d) — Équivalence 2 : Ve = (\\d+,\\d\\d) mL ; "
        "pH = (\\d+,\\d\\d) ; "));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillRecord(c.beaker);
        if (c.mixture) {
            Modeliser([&](ModelDialog& dialog) {
                dialog.SpeciesBox()->setCurrentText(QStringLiteral("acide fort"));
                dialog.Species2Box()->setCurrentText(QString::fromUtf8(c.mixture));
                dialog.BeakerEdit()->setText(QStringLiteral("0,1"));
                dialog.Beaker2Edit()->setText(QStringLiteral("0,1"));
                dialog.TracerButton()->click();
            });
            ASSERT_EQ(model->BeakerContent(), TitrationConcentration::Content::TwoSpecies);
        }
        analysis->PointEquivalenceAction()->trigger();
        const QString status = window->StatusText();
        const QRegularExpressionMatch found = jumps.match(status);
        ASSERT_TRUE(found.hasMatch()) << status.toStdString();
        const double ve[] = {Number(found.captured(1)), Number(found.captured(3))};
        EXPECT_NEAR(ve[0], 10.0, 0.15);
        EXPECT_NEAR(ve[1], 20.0, 0.15);
        // Each species' concentration from its own step: Cb x Ve1 / Va, then Cb x (Ve2 - Ve1) / Va.
        const QRegularExpressionMatch ca = QRegularExpression(QString::fromUtf8(c.concentrations)).match(status);
        ASSERT_TRUE(ca.hasMatch()) << status.toStdString();
        // C1 is written in 10⁻¹ mol/L; Ca, with its uncertainty, in mol/L or 10⁻² mol/L.
        const double first = c.mixture ? Number(ca.captured(1)) / 10.0
                                       : Number(ca.captured(1)) / (ca.captured(2).isEmpty() ? 1.0 : 100.0);
        EXPECT_NEAR(first, ve[0] / 100.0, 0.0011);
        if (c.mixture) {
            EXPECT_NEAR(Number(ca.captured(2)), (ve[1] - ve[0]) / 10.0, 0.011);
        }

        // A mark and a label per equivalence, at its volume.
        const QList<QLineSeries*> marks = analysis->EquivalenceMarks();
        const QList<QGraphicsTextItem*> labels = analysis->EquivalenceLabels();
        ASSERT_EQ(labels.size(), 2);
        for (int k = 0; k < 2; ++k) {
            ASSERT_TRUE(OnChart(marks[k]));
            EXPECT_DOUBLE_EQ(marks[k]->at(0).x(), analysis->LastJumps()[static_cast<std::size_t>(k)].volumeMl);
            EXPECT_TRUE(labels[k]->isVisible());
            EXPECT_TRUE(labels[k]->toPlainText().startsWith(QStringLiteral("Équivalence %1 : Ve = %2 mL")
                                                                .arg(k + 1)
                                                                .arg(found.captured(1 + 2 * k))));
        }

        // The copy: each equivalence with its half-equivalence pH, then the concentrations, then
        // the first step's uncertainties (ten lines, or u(Ve)'s six for a mixture).
        analysis->CopierResultatsAction()->trigger();
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 6 + (c.mixture ? 2 + 6 : 1 + 10)) << QGuiApplication::clipboard()->text().toStdString();
        EXPECT_EQ(lines[3], QStringLiteral("Volume à l'équivalence 2 en mL\t") + found.captured(3));
        EXPECT_TRUE(lines[5].startsWith(QStringLiteral("pH à la demi-équivalence 2\t")));
        EXPECT_TRUE(lines[6].startsWith(c.mixture ? QStringLiteral("Concentration de l'espèce 1 dans le bécher en mol/L\t")
                                                  : QStringLiteral("Concentration dans le bécher en mol/L\t")));
        // The report: one line per equivalence, then the concentrations, then the uncertainties
        // (with the Monte-Carlo's line when Ca is given).
        const QStringList printed = window->findChild<ReportCommands*>()->Content().results;
        ASSERT_EQ(printed.size(), 2 + (c.mixture ? 2 + 1 : 1 + 2));
        EXPECT_TRUE(printed[1].startsWith(QStringLiteral("Équivalence 2 : Ve = %1 mL ; pH = ").arg(found.captured(3))));
        EXPECT_TRUE(printed[1].contains(QStringLiteral("pH à la demi-équivalence = ")));
    }
}

TEST_F(SeveralEquivalencesTest, TangentsOnTheJumpTheStudentChooses)
{
    FillRecord(Oracle::PhosphoricAcid());
    TangentCommands& tangents = analysis->Tangents();
    QStringList offered;
    std::optional<std::size_t> answer;
    tangents.SetJumpChooser([&](const std::vector<TitrationAnalysis::Equivalence>& jumps, std::size_t steepest) {
        offered = TangentCommands::JumpCaptions(jumps, steepest);
        return answer;
    });
    // Cancelled: nothing drawn. Then each jump in turn.
    analysis->MethodeTangentesAction()->trigger();
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered.filter(QStringLiteral("(le saut le plus raide)")).size(), 1);
    EXPECT_FALSE(tangents.Shown());
    for (std::size_t k : {0u, 1u}) {
        answer = k;
        analysis->MethodeTangentesAction()->trigger();
        ASSERT_TRUE(tangents.LastResult().has_value());
        EXPECT_NEAR(tangents.LastResult()->volumeMl, 10.0 * static_cast<double>(k + 1), 0.3);
        EXPECT_TRUE(tangents.Shown());
    }
}

TEST_F(SeveralEquivalencesTest, PhosphoricModelFittedAndItsDistribution)
{
    // Without a model there is nothing to distribute.
    analysis->DistributionAction()->trigger();
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Diagramme de distribution : tracez ou ajustez")));
    EXPECT_FALSE(analysis->DistributionAction()->isChecked());

    FillRecord(Oracle::PhosphoricAcid());
    Modeliser([&](ModelDialog& dialog) {
        // The curve suggests a weak acid of several acidities, not a strong acid.
        EXPECT_GE(dialog.CouplesTable()->rowCount(), 2) << dialog.SpeciesBox()->currentText().toStdString();
        EXPECT_TRUE(dialog.ResultLabel()->text().startsWith(QStringLiteral("Modèle qui décrit le mieux la courbe : ")));

        // Refusals leave the record and the fields as they are.
        struct Refusal {
            const char* name;
            std::function<void(ModelDialog&)> set;
            const char* text;
        };
        const Refusal refusals[] = {
            {"acid and base mixed",
             [](ModelDialog& d) { d.Species2Box()->setCurrentText(QStringLiteral("ammoniac")); },
             "Un mélange réunit deux acides ou deux bases"},
            {"unreadable pKa", [](ModelDialog& d) { d.CouplesTable()->item(1, 1)->setText(QStringLiteral("sept")); },
             "« sept » ne convient pas pour le pKa de H2PO4−/HPO4 2−"},
        };
        for (const Refusal& r : refusals) {
            SCOPED_TRACE(r.name);
            dialog.SpeciesBox()->setCurrentText(QStringLiteral("acide phosphorique"));
            r.set(dialog);
            dialog.AjusterButton()->click();
            EXPECT_TRUE(dialog.ResultLabel()->text().startsWith(QString::fromUtf8(r.text)))
                << dialog.ResultLabel()->text().toStdString();
            EXPECT_FALSE(model->LastFit().has_value());
            dialog.Species2Box()->setCurrentIndex(0);
            dialog.SpeciesBox()->setCurrentIndex(0);  // the couples' table values again on the next choice
        }

        dialog.SpeciesBox()->setCurrentText(QStringLiteral("acide phosphorique"));
        ASSERT_EQ(dialog.CouplesTable()->rowCount(), 3);
        EXPECT_EQ(dialog.CouplesTable()->item(0, 1)->text(), QStringLiteral("2,15"));
        // pKa3 lies beyond the measured pH: kept, not adjusted.
        dialog.CouplesTable()->item(2, 0)->setCheckState(Qt::Unchecked);
        dialog.BeakerEdit()->setText(QStringLiteral("0,08"));
        dialog.AjusterButton()->click();
        ASSERT_TRUE(model->LastFit().has_value()) << dialog.ResultLabel()->text().toStdString();
        EXPECT_NEAR(Number(dialog.BeakerEdit()->text()), 0.1, 0.002);
        EXPECT_NEAR(Number(dialog.CouplesTable()->item(0, 1)->text()), 2.15, 0.1);
        EXPECT_NEAR(Number(dialog.CouplesTable()->item(1, 1)->text()), 7.20, 0.1);
        EXPECT_EQ(dialog.CouplesTable()->item(2, 1)->text(), QStringLiteral("12,35"));
    });
    EXPECT_EQ(model->LastFit()->estimates.size(), 3u);
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Modèle : Ca = ")));
    EXPECT_TRUE(window->StatusText().contains(QStringLiteral(" ; pKa2 = ")));

    // The distribution over the curve: the four forms, named, on 0 to 100 %, summing to 100 %.
    analysis->DistributionAction()->trigger();
    DistributionCommands& distribution = analysis->Distribution();
    const QList<QLineSeries*> lines = distribution.Lines();
    QStringList names;
    for (QLineSeries* line : lines) {
        EXPECT_TRUE(OnChart(line));
        names << line->name();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("H3PO4"), QStringLiteral("H2PO4−"), QStringLiteral("HPO4 2−"),
                                  QStringLiteral("PO4 3−")}));
    ASSERT_NE(distribution.Axis(), nullptr);
    EXPECT_EQ(distribution.Axis()->max(), 100.0);
    EXPECT_EQ(window->Chart1->chart()->axes(Qt::Vertical, lines.front()), QList<QAbstractAxis*>{distribution.Axis()});
    for (qsizetype i = 0; i < lines.front()->count(); ++i) {
        double sum = 0.0;
        for (QLineSeries* line : lines)
            sum += line->at(i).y();
        ASSERT_NEAR(sum, 100.0, 1e-6) << "at " << lines.front()->at(i).x() << " mL";
    }
    // Half way to the first equivalence H3PO4 and H2PO4− share the acid (pH = pKa1 there, nearly).
    const QLineSeries* h3po4 = lines[0];
    const QLineSeries* h2po4 = lines[1];
    for (qsizetype i = 1; i < h3po4->count(); ++i)
        if (h3po4->at(i).x() >= 5.0) {
            EXPECT_NEAR(h3po4->at(i).y(), h2po4->at(i).y(), 25.0);
            break;
        }

    // Against the pH, in a window of its own.
    int shownLines = 0;
    distribution.SetWindowRunner([&](QDialog& dialog) {
        const auto* view = dialog.findChild<QChartView*>(QStringLiteral("DistributionPHView"));
        ASSERT_NE(view, nullptr);
        shownLines = static_cast<int>(view->chart()->series().size());
    });
    analysis->DistributionPHAction()->trigger();
    EXPECT_EQ(shownLines, 4);

    // A change of the record takes the model away, and its diagram with it.
    FillRecord(Oracle::SodiumCarbonate());
    EXPECT_FALSE(analysis->DistributionAction()->isChecked());
    EXPECT_FALSE(OnChart(lines.front()));
    EXPECT_FALSE(window->Chart1->chart()->axes(Qt::Vertical).contains(distribution.Axis()));
}

}  // namespace
