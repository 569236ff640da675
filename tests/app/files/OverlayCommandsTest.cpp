#include "files/OverlayCommands.h"

#include "analysis/AnalysisCommands.h"
#include "chemistry/TitrationChemistry.h"
#include "data/ChemistryFile.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "data/TFDialogRedPoints.h"
#include "files/DataCommands.h"
#include "net/TFDgReseau.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "RunFixture.h"
#include "station/StationCommands.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>

namespace {

using namespace TitrationChemistry;

// A chemistry file of `species` at `molPerL` titrated by soda, every `stepMl` up to `lastMl`.
QByteArray CurveFile(const QString& comment, Species species, double molPerL, double lastMl, double stepMl)
{
    Titration t;
    t.species = species;
    t.beakerMolPerL = molPerL;
    QString body;
    for (int i = 0; i * stepMl <= lastMl + 1e-9; ++i)
        body += NumberText::Fixed(PH(t, i * stepMl), 5, 3) + QLatin1Char('\t')
                + NumberText::Fixed(i * stepMl / 1000.0, 6, 6) + QLatin1Char('\r');
    HeaderValues values;
    values.currentComment = comment;
    values.beakerConcentration = QStringLiteral("0,5");  // not the record's: must not leak into it
    return ChemistryFile::FileBytes(
        ChemistryFile::BuildFileText(QStringList(ChemistryFile::kHeaderLineCount), values, body + QStringLiteral("\r\r\r")));
}

class OverlayCommandsTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        overlays = window->findChild<OverlayCommands*>();
        analysis = window->findChild<AnalysisCommands*>();
        ASSERT_NE(overlays, nullptr);
        ASSERT_NE(analysis, nullptr);
        ErrorBox::SetPresenter([this](const QString& text) { errors << text; });
    }
    void TearDown() override
    {
        ErrorBox::SetPresenter({});
        RunFixture::TearDown();
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(dir.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QStringList ThreeOverlays()
    {
        return {Write(QStringLiteral("fort.che"), CurveFile(QStringLiteral("Acide fort"), Species::StrongAcid, 0.012, 30, 0.5)),
                Write(QStringLiteral("faible.che"), CurveFile(QString(), Species::WeakAcid, 0.008, 40, 0.25)),
                Write(QStringLiteral("base.che"), CurveFile(QStringLiteral("Base"), Species::StrongBase, 0.01, 30, 1))};
    }

    QAbstractSeries* Series1() const { return window->Chart1->Series1(); }
    QList<QAbstractSeries*> ChartSeries() const { return window->Chart1->chart()->series(); }

    QTemporaryDir dir;
    OverlayCommands* overlays = nullptr;
    AnalysisCommands* analysis = nullptr;
    QStringList errors;
};

TEST_F(OverlayCommandsTest, Overlays_NeverReachSaveCopySendReductionOrAnalysis)
{
    window->Data().OpenNamedFile(Write(QStringLiteral("eleve.che"), CurveFile(QStringLiteral("Élève"),
                                                                               Species::WeakAcid, 0.01, 30, 0.2)));
    ASSERT_EQ(window->Record().PointCount(), 151);
    // The network dialog sends to this window's own server, whose station keeps what came.
    window->MsgSender1().SetPort(window->MsgServer1().LocalPort());
    window->FDgReseau().findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("127.0.0.1"));
    for (int n = 2; n <= 8; ++n)
        window->FDgReseau().findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n))->clear();
    const ReceivedMeasurements& received = window->findChild<StationCommands*>()->Store();
    window->Data().SetModalRunner([](QDialog& dialog) {
        auto& reduction = dynamic_cast<TFDialogRedPoints&>(dialog);
        reduction.show();
        reduction.Edit1()->clear();
        QTest::keyClicks(reduction.Edit1(), QStringLiteral("40"));
        QTest::keyClick(reduction.Edit1(), Qt::Key_Return);
    });

    struct Outputs {
        QByteArray saved;
        QString copied, sent, results;
        QList<MeasurementRecord::Row> reduced;
        QStringList headerLines;
        QString beakerConcentration;
    };
    const auto outputs = [&] {
        Outputs o;
        window->Data().Enregistrer1Click();
        const int saves = window->Data().Document().SaveCounter();
        QFile file(QDir(window->Data().DataFolderPath()).filePath(QStringLiteral("Mesures%1.che").arg(saves)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        o.saved = file.readAll();
        window->Data().Copier1Click();
        o.copied = QGuiApplication::clipboard()->text();
        const qsizetype before = received.Entries().size();
        window->FDgReseau().SendMeasurements();
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.Entries().size() == before + 1; }, 5000));
        o.sent = received.Entries().constLast().text;
        analysis->CopierResultatsAction()->trigger();
        o.results = QGuiApplication::clipboard()->text();
        window->Data().Eliminerdespoints1Click();
        o.reduced = window->Record().Rows();
        window->Data().Rtablirtouslespoints1Click();
        o.headerLines = window->Data().Document().HeaderLines();
        o.beakerConcentration = window->Data().Document().Values().beakerConcentration;
        return o;
    };
    const Outputs alone = outputs();
    overlays->AddFiles(ThreeOverlays());
    ASSERT_TRUE(overlays->Shown());
    ASSERT_EQ(overlays->Curves().size(), 3);
    const Outputs overlaid = outputs();

    EXPECT_TRUE(alone.saved.contains("\r0,01\r"));
    EXPECT_EQ(overlaid.saved, alone.saved);
    EXPECT_EQ(overlaid.copied, alone.copied);
    EXPECT_EQ(overlaid.sent, MeasurementTextIo::BuildMeasurementText(window->Record()));
    EXPECT_EQ(overlaid.sent, alone.sent);
    EXPECT_TRUE(alone.results.startsWith(QStringLiteral("Volume à l'équivalence en mL\t")));
    EXPECT_EQ(overlaid.results, alone.results);
    EXPECT_LT(alone.reduced.size(), 100);
    EXPECT_EQ(overlaid.reduced, alone.reduced);
    EXPECT_EQ(overlaid.headerLines, alone.headerLines);
    EXPECT_EQ(overlaid.beakerConcentration, alone.beakerConcentration);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(OverlayCommandsTest, UnreadableFilesRefusedAlone_CurvesFollowTheChartUnderTheRecord)
{
    window->Data().OpenNamedFile(Write(QStringLiteral("eleve.che"), CurveFile(QString(), Species::WeakAcid, 0.01, 30, 0.2)));
    QStringList paths = ThreeOverlays();
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("absent.che"));
    const QString empty = Write(QStringLiteral("vide.che"), CurveFile(QStringLiteral("Vide"), Species::WeakAcid, 0.01, -1, 1));
    paths.insert(1, missing);
    paths.insert(3, empty);
    overlays->AddFiles(paths);

    ASSERT_EQ(errors.size(), 1);  // one box for both refusals
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible d'ouvrir le fichier « %1 »").arg(QDir::toNativeSeparators(missing))));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("« %1 » ne contient aucun point").arg(QDir::toNativeSeparators(empty))));
    // The legend lays its markers out on the event loop's next pass.
    QCoreApplication::processEvents();
    QStringList legend;
    for (QLegendMarker* marker : window->Chart1->chart()->legend()->markers())
        if (marker->isVisible())
            legend << marker->label();
    EXPECT_EQ(legend, (QStringList{QStringLiteral("Acide fort"), QStringLiteral("faible.che"), QStringLiteral("Base"),
                                   QStringLiteral("Mesures")}));

    // Under the record, the whole view takes in the longest curve (40 mL), thinned for the view.
    const auto onChart = [this] {
        int count = 0;
        for (QLineSeries* s : overlays->Series())
            count += ChartSeries().contains(s) && ChartSeries().indexOf(s) < ChartSeries().indexOf(Series1());
        return count;
    };
    EXPECT_EQ(onChart(), 3);
    EXPECT_GE(window->Chart1->BottomAxis()->max(), 40.0);
    EXPECT_EQ(overlays->Series()[1]->points(), window->Chart1->ThinnedForView(overlays->Curves()[1].points));
    window->Chart1->ZoomAround(window->Chart1->Viewport().PlotArea().center(), 0.25);
    EXPECT_LT(overlays->Series()[1]->count(), overlays->Curves()[1].points.size());

    // A run puts them aside and its axes ignore them; its end brings them back.
    ToggleRun();
    EXPECT_EQ(onChart(), 0);
    EXPECT_EQ(overlays->Curves().size(), 3);
    Sample();
    window->Chart1->FlushPending();
    EXPECT_LT(window->Chart1->BottomAxis()->max(), 40.0);
    ToggleRun();
    EXPECT_EQ(onChart(), 3);

    window->Menu().Retirerlescourbes1->trigger();
    EXPECT_TRUE(overlays->Series().isEmpty());
    EXPECT_EQ(ChartSeries().count(Series1()), 1);
    EXPECT_FALSE(window->Menu().Retirerlescourbes1->isEnabled());
    EXPECT_FALSE(window->Chart1->chart()->legend()->isVisible());
}

TEST_F(OverlayCommandsTest, TheLegendHidesNoCurveWhereACornerIsFree)
{
    // Jumps early in a long range: the plateaus fill the top left that rising curves usually
    // leave empty, the bottom right stays free.
    window->Data().OpenNamedFile(Write(QStringLiteral("eleve.che"), CurveFile(QString(), Species::WeakAcid, 0.003, 40, 0.2)));
    overlays->AddFiles({Write(QStringLiteral("a.che"), CurveFile(QStringLiteral("Acide fort dilué"), Species::StrongAcid, 0.004, 40, 1)),
                        Write(QStringLiteral("b.che"), CurveFile(QStringLiteral("Acide faible dilué"), Species::WeakAcid, 0.005, 40, 1))});
    QCoreApplication::processEvents();
    QChart* chart = window->Chart1->chart();
    const QRectF legend = chart->legend()->geometry();
    ASSERT_TRUE(chart->plotArea().contains(legend));
    QList<QPointF> shown = window->Chart1->Points();
    for (const ReferenceCurve::Curve& curve : overlays->Curves())
        shown += curve.points;
    int hidden = 0;
    for (const QPointF& point : shown)
        hidden += legend.contains(chart->mapToPosition(point, Series1()));
    EXPECT_EQ(hidden, 0) << "legend at " << legend.x() << ", " << legend.y();
}

}  // namespace
