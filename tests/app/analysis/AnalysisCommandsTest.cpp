#include "analysis/AnalysisCommands.h"

#include "acquisition/CalibrationController.h"
#include "acquisition/ElectrodeCalibration.h"
#include "analysis/TangentCommands.h"
#include "board/SimulatedBench.h"
#include "data/ConvertError.h"
#include "data/FileError.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/TFDgCommentaire.h"
#include "files/DataCommands.h"
#include "report/ReportCommands.h"
#include "RunFixture.h"
#include "support/StartupValues.h"
#include "window/RecordChart.h"

#include <QButtonGroup>
#include <QChart>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include <algorithm>

namespace {

using Acid = SimulatedBench::Acid;

class AnalysisCommandsTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        analysis = window->findChild<AnalysisCommands*>();
        ASSERT_NE(analysis, nullptr);
        // The end of a run saves nothing here.
        window->Run().SetFinishRun([] {});
    }

    // The three presses with the bench's buffers 7 and 4, one live reading before each capture.
    void Calibrate()
    {
        PressEnterOn(window->Button1);
        bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer7);
        Reading();
        PressEnterOn(window->Button1);
        bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
        Reading();
        PressEnterOn(window->Button1);
    }

    // A titration on the bench with one Space per mL, as an operator would: 6 s per mL, the
    // tap opened in the pause before the first sample, so each mL runs out during a pause
    // (a sample takes 1,5 s) and its Space is pressed on time.
    void BenchTitration(Acid acid, int millilitres)
    {
        bench->SetAcid(acid);
        bench->SetSecondsPerMl(6.0);
        bench->SetPlace(SimulatedBench::ElectrodePlace::Beaker);
        ToggleRun();
        clock.Advance(250);
        bench->OpenTap();
        const std::int64_t openedMs = clock.NowMs();
        clock.Advance(250);
        window->Run().Timer1Timer();
        ASSERT_TRUE(WaitForReading());
        for (int pressed = 0; pressed < millilitres;) {
            const std::int64_t pauseEnd = clock.NowMs() + 500;
            const std::int64_t due = openedMs + 6000 * (pressed + 1);
            if (due <= pauseEnd) {
                clock.Advance(std::max<std::int64_t>(0, due - clock.NowMs()));
                Space();
                ++pressed;
            }
            clock.Advance(pauseEnd - clock.NowMs());
            window->Run().Timer1Timer();
            ASSERT_TRUE(WaitForReading());
        }
        ToggleRun();
    }

    // The numbers of "Équivalence : V = … mL ; pH = … ; pH à V/2 = …", whatever the concentration
    // part after them says.
    QList<double> StatusNumbers()
    {
        static const QRegularExpression pattern(QStringLiteral(
            "^Équivalence : V = (-?\\d+,\\d\\d) mL ; pH = (-?\\d+,\\d\\d) ; pH à V/2 = (-?\\d+,\\d\\d)( ; .*)?$"));
        const QRegularExpressionMatch match = pattern.match(window->StatusText());
        if (!match.hasMatch())
            return {};
        return {NumberText::Parse(match.captured(1)), NumberText::Parse(match.captured(2)),
                NumberText::Parse(match.captured(3))};
    }

    bool OnChart(QAbstractSeries* series) const
    {
        return series && window->Chart1->chart()->series().contains(series);
    }

    AnalysisCommands* analysis = nullptr;
};

TEST_F(AnalysisCommandsTest, MenuFollowsParametrer)
{
    QStringList titles;
    for (QAction* action : window->menuBar()->actions())
        titles << action->text();
    const qsizetype at = titles.indexOf(QStringLiteral("&Paramétrer"));
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, titles.size());
    EXPECT_EQ(titles[at + 1], QStringLiteral("A&nalyse"));
    EXPECT_EQ(titles.count(QStringLiteral("A&nalyse")), 1);

    QStringList items;
    for (QAction* action : analysis->Menu()->actions())
        if (!action->isSeparator())
            items << action->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("&Dérivée dpH/dV"), QStringLiteral("Dérivée &seconde"),
                                  QStringLiteral("&Point d'équivalence"),
                                  QStringLiteral("D&omaines des droites (conductimétrie)..."),
                                  QStringLiteral("Méthode des &tangentes"),
                                  QStringLiteral("&Modéliser..."), QStringLiteral("Diagramme de distri&bution"),
                                  QStringLiteral("Distribution en fonction du p&H..."), QStringLiteral("&Incertitudes..."),
                                  QStringLiteral("Copier les &résultats"),
                                  QStringLiteral("Vue &complète"), QStringLiteral("Réticu&le"),
                                  QStringLiteral("Enregistrer le &graphique...")}));
    // Each item has an access key of its own.
    QString keys;
    for (const QString& item : items) {
        const qsizetype at = item.indexOf(QLatin1Char('&'));
        ASSERT_GE(at, 0) << item.toStdString();
        const QChar key = item.at(at + 1).toLower();
        EXPECT_FALSE(keys.contains(key)) << item.toStdString();
        keys += key;
    }
    EXPECT_TRUE(analysis->DeriveeAction()->isCheckable());
    EXPECT_TRUE(analysis->DeriveeSecondeAction()->isCheckable());
    EXPECT_FALSE(analysis->DeriveeAction()->isChecked());
}

TEST_F(AnalysisCommandsTest, StrongAcidOnTheBench)
{
    Calibrate();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Électrode : pente 100 %, décalage +4 mV"));
    BenchTitration(Acid::Hydrochloric, 30);
    ASSERT_GT(window->Record().PointCount(), 100);

    analysis->PointEquivalenceAction()->trigger();
    const QList<double> numbers = StatusNumbers();
    ASSERT_EQ(numbers.size(), 3) << window->StatusText().toStdString();
    EXPECT_NEAR(numbers[0], 20.0, 0.2);
    EXPECT_NEAR(numbers[1], 7.0, 0.5);

    // The vertical line at Ve crosses the whole pH axis.
    QLineSeries* mark = analysis->EquivalenceMark();
    ASSERT_TRUE(OnChart(mark));
    ASSERT_EQ(mark->count(), 2);
    EXPECT_NEAR(mark->at(0).x(), numbers[0], 0.005);
    EXPECT_EQ(mark->at(1).x(), mark->at(0).x());
    EXPECT_EQ(mark->at(0).y(), 0.0);
    EXPECT_EQ(mark->at(1).y(), 14.0);

    // A new run makes the mark and the results stale.
    ToggleRun();
    EXPECT_FALSE(OnChart(mark));
    EXPECT_FALSE(analysis->LastEquivalence().has_value());
}

TEST_F(AnalysisCommandsTest, EthanoicAcidOnTheBenchGivesItsPKa)
{
    Calibrate();
    BenchTitration(Acid::Ethanoic, 30);
    analysis->PointEquivalenceClick();
    const QList<double> numbers = StatusNumbers();
    ASSERT_EQ(numbers.size(), 3) << window->StatusText().toStdString();
    EXPECT_NEAR(numbers[0], 20.0, 0.2);
    EXPECT_NEAR(numbers[2], 4.76, 0.1);
}

TEST_F(AnalysisCommandsTest, CopiesTheResultsOrSaysIntrouvable)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("avant"));
    analysis->CopierResultatsAction()->trigger();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Point d'équivalence introuvable"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("avant"));
    analysis->PointEquivalenceClick();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Point d'équivalence introuvable"));
    EXPECT_FALSE(OnChart(analysis->EquivalenceMark()));

    MeasurementRecord& record = window->Record();
    MeasurementTextIo::FillTableFromText(record, QStringLiteral("3,000\t0,000000\r3,200\t0,001000\r3,500\t0,002000\r"
                                                                "10,000\t0,003000\r10,300\t0,004000\r"));
    record.RebuildChart();
    analysis->PointEquivalenceClick();
    const QList<double> numbers = StatusNumbers();
    ASSERT_EQ(numbers.size(), 3) << window->StatusText().toStdString();
    analysis->CopierResultatsClick();
    const QStringList lines = clipboard->text().split(QLatin1Char('\r'));
    // Three lines, then the six of u(Ve) (no Cb and Va: no Ca), each ended by CR.
    ASSERT_EQ(lines.size(), 4 + 6);
    EXPECT_TRUE(lines.back().isEmpty());
    EXPECT_EQ(lines[3], QStringLiteral("Incertitudes selon la méthode\tpic de la dérivée"));
    const QStringList captions = {QStringLiteral("Volume à l'équivalence en mL"), QStringLiteral("pH à l'équivalence"),
                                  QStringLiteral("pH à la demi-équivalence")};
    for (int i = 0; i < 3; ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        ASSERT_EQ(cells.size(), 2) << lines[i].toStdString();
        EXPECT_EQ(cells[0], captions[i]);
        EXPECT_DOUBLE_EQ(NumberText::Parse(cells[1]), numbers[i]);
    }

    // A cell that does not read is reported as the chart's rebuild reports it.
    record.SetCell(MeasurementRecord::ColVolume, 2, QStringLiteral("0.001"));
    try {
        analysis->PointEquivalenceClick();
        FAIL() << "an unreadable volume was analysed";
    } catch (const ConvertError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("'0.001' n'est pas une valeur en virgule flottante correcte"));
    }
}

TEST_F(AnalysisCommandsTest, ConcentrationOnceCbAndVaAreConfirmed)
{
    const QString points = QStringLiteral("3,000\t0,000000\r3,200\t0,001000\r3,500\t0,002000\r10,000\t0,003000\r"
                                          "10,300\t0,004000\r");
    MeasurementTextIo::FillTableFromText(window->Record(), points);
    window->Record().RebuildChart();
    const QString hint = QStringLiteral(" ; concentration : précisez Cb et Va dans Edition > Ajouter un commentaire");
    auto typeQuantities = [this](const QString& cb, const QString& va) {
        window->Data().SetModalRunner([=](QDialog& dialog) {
            static_cast<TFDgCommentaire&>(dialog).Edit3()->setText(cb);
            static_cast<TFDgCommentaire&>(dialog).Edit4()->setText(va);
        });
        window->Menu().Ajouteruncommentaire1->trigger();
    };
    // Ca read back from the status text and from the fourth copied line, against Cb x Ve / Va.
    auto expectConcentration = [this](double cb, double va) {
        analysis->PointEquivalenceClick();
        const QList<double> numbers = StatusNumbers();
        ASSERT_EQ(numbers.size(), 3) << window->StatusText().toStdString();
        const double ca = cb * numbers[0] / 1000.0 / va;
        // Written once, with its uncertainty.
        static const QRegularExpression status(QStringLiteral(" ; Ca = \\((\\d,\\d+) ± \\d,\\d+\\) × 10⁻³ mol/L$"));
        const QRegularExpressionMatch match = status.match(window->StatusText());
        ASSERT_TRUE(match.hasMatch()) << window->StatusText().toStdString();
        EXPECT_NEAR(NumberText::Parse(match.captured(1)) * 1e-3, ca, ca * 0.01);
        analysis->CopierResultatsClick();
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'));
        ASSERT_EQ(lines.size(), 5 + 10);  // then the uncertainties, with Ca's
        const QStringList cells = lines[3].split(QLatin1Char('\t'));
        ASSERT_EQ(cells.size(), 2);
        EXPECT_EQ(cells[0], QStringLiteral("Concentration dans le bécher en mol/L"));
        EXPECT_NEAR(NumberText::Parse(cells[1]), ca, ca * 0.01);
    };

    // The start-up values nobody confirmed give no concentration, only the hint.
    analysis->PointEquivalenceClick();
    EXPECT_TRUE(window->StatusText().contains(hint)) << window->StatusText().toStdString();
    analysis->CopierResultatsClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\r')), 3 + 6);

    typeQuantities(QStringLiteral("0.02"), QStringLiteral("0,050"));
    expectConcentration(0.02, 0.05);
    typeQuantities(QStringLiteral("0,02"), QStringLiteral("cinquante"));
    analysis->PointEquivalenceClick();
    EXPECT_TRUE(window->StatusText().contains(hint)) << window->StatusText().toStdString();

    // Read from an opened file: Cb on line 10, Va on line 11.
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("dosage.che")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Quorin\rDosage\rMesure\r7.0.0\r\r\r\r\r0,1\r0,01\r0,010\r\r\r\r\r");
    file.write(points.toLatin1() + "\r\r\r\r\n");
    file.close();
    window->Data().OpenNamedFile(file.fileName());
    expectConcentration(0.01, 0.01);
}

TEST_F(AnalysisCommandsTest, DerivativeFollowsTheRecordOnItsOwnAxis)
{
    QChart* chart = window->Chart1->chart();
    const int axesBefore = static_cast<int>(chart->axes().size());
    analysis->DeriveeAction()->setChecked(true);
    QLineSeries* derivative = analysis->DerivativeSeries();
    ASSERT_TRUE(OnChart(derivative));
    EXPECT_NE(derivative->pen().color(), window->Chart1->Series1()->pen().color());
    EXPECT_NE(derivative->pen().color(), window->Chart1->PointColour());
    const QList<QAbstractAxis*> rightAxes = chart->axes(Qt::Vertical, derivative);
    ASSERT_EQ(rightAxes.size(), 1);
    EXPECT_EQ(rightAxes[0], analysis->RightAxis());
    EXPECT_EQ(rightAxes[0]->alignment(), Qt::AlignRight);
    EXPECT_TRUE(chart->axes(Qt::Horizontal, derivative).contains(window->Chart1->BottomAxis()));
    EXPECT_EQ(derivative->count(), 0);

    // After a run: one slope per interval, steepest at the equivalence.
    BenchTitration(Acid::Hydrochloric, 24);
    const int points = window->Record().PointCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return derivative->count() > 0; }, 2000));
    EXPECT_EQ(derivative->count(), points - 1);
    const QList<QPointF> slopes = derivative->points();
    const auto steepest = std::max_element(slopes.begin(), slopes.end(),
                                           [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_NEAR(steepest->x(), 20.0, 0.3);
    EXPECT_GE(analysis->RightAxis()->max(), steepest->y());

    // Points replaced as an open, a reduction or a restore does: the derivative follows.
    MeasurementRecord& record = window->Record();
    MeasurementTextIo::FillTableFromText(
        record, QStringLiteral("3,000\t0,000000\r3,500\t0,001000\r11,000\t0,002000\r11,200\t0,004000\r"));
    record.RebuildChart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return derivative->count() == 3; }, 2000));
    EXPECT_EQ(derivative->points(), (QList<QPointF>{{0.5, 0.5}, {1.5, 7.5}, {3.0, 0.1}}));

    // During a run the rows have no volume: nothing to derive.
    ToggleRun();
    Sample();
    ASSERT_TRUE(QTest::qWaitFor([&] { return derivative->count() == 0; }, 2000));
    ToggleRun();

    analysis->DeriveeAction()->setChecked(false);
    EXPECT_FALSE(OnChart(derivative));
    EXPECT_EQ(static_cast<int>(chart->axes().size()), axesBefore);
    EXPECT_EQ(chart->axes(Qt::Vertical).size(), 1);
}

TEST_F(AnalysisCommandsTest, TangentsOnTheBenchWeakAcidAndTheirPlaceInTheResults)
{
    Calibrate();
    BenchTitration(Acid::Ethanoic, 30);
    // Cb and Va confirmed in the comment dialog: the concentration takes its place in the copy.
    window->Data().SetModalRunner([](QDialog& dialog) {
        static_cast<TFDgCommentaire&>(dialog).Edit3()->setText(QStringLiteral("0,01"));
        static_cast<TFDgCommentaire&>(dialog).Edit4()->setText(QStringLiteral("0,020"));
    });
    window->Menu().Ajouteruncommentaire1->trigger();

    analysis->MethodeTangentesAction()->trigger();
    static const QRegularExpression pattern(QStringLiteral("^Tangentes : V = (\\d+,\\d\\d) mL ; pH = (\\d+,\\d\\d)$"));
    const QRegularExpressionMatch match = pattern.match(window->StatusText());
    ASSERT_TRUE(match.hasMatch()) << window->StatusText().toStdString();
    const double ve = NumberText::Parse(match.captured(1));
    EXPECT_NEAR(ve, 20.0, 0.2);
    EXPECT_NEAR(NumberText::Parse(match.captured(2)), 8.3, 0.6);

    // Three lines and the crossing, on the record's axes, so that a zoom carries them.
    TangentCommands& tangents = analysis->Tangents();
    QChart* chart = window->Chart1->chart();
    QList<QAbstractSeries*> drawn{tangents.Crossing()};
    for (QLineSeries* line : tangents.Lines())
        drawn << line;
    ASSERT_EQ(drawn.size(), 4);
    for (QAbstractSeries* series : drawn) {
        ASSERT_TRUE(OnChart(series));
        EXPECT_EQ(chart->axes(Qt::Horizontal, series), QList<QAbstractAxis*>{window->Chart1->BottomAxis()});
        EXPECT_EQ(chart->axes(Qt::Vertical, series), QList<QAbstractAxis*>{window->Chart1->LeftAxis()});
    }
    EXPECT_NEAR(tangents.Crossing()->at(0).x(), ve, 0.005);

    // Equivalence lines, the concentration, the uncertainties of the peak and of the tangents,
    // then the tangents; the report likewise.
    analysis->CopierResultatsAction()->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3 + 1 + 2 * 10 + 2) << QGuiApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Concentration dans le bécher en mol/L\t")));
    EXPECT_EQ(lines[4], QStringLiteral("Incertitudes selon la méthode\tpic de la dérivée"));
    EXPECT_EQ(lines[14], QStringLiteral("Incertitudes selon la méthode\tméthode des tangentes"));
    EXPECT_EQ(lines[24], QStringLiteral("Volume à l'équivalence (tangentes) en mL\t") + match.captured(1));
    EXPECT_EQ(lines[25], QStringLiteral("pH à l'équivalence (tangentes)\t") + match.captured(2));
    const QStringList printed = window->findChild<ReportCommands*>()->Content().results;
    const qsizetype concentration = printed.indexOf(
        QRegularExpression(QStringLiteral("^Concentration dans le bécher : Ca = .*")));
    ASSERT_GE(concentration, 0) << printed.join(QLatin1Char('\n')).toStdString();
    ASSERT_LT(concentration + 1, printed.size());
    EXPECT_TRUE(printed[concentration + 1].startsWith(QStringLiteral("Incertitudes (pic de la dérivée) : Ve = (")));
    EXPECT_EQ(printed.back(), QStringLiteral("Méthode des tangentes : Ve = %1 mL ; pH = %2")
                                  .arg(match.captured(1), match.captured(2)));

    // A new run takes the construction away; on its curve in time mode there is none to make.
    ToggleRun();
    EXPECT_FALSE(tangents.Shown());
    EXPECT_TRUE(tangents.ClipboardLines().isEmpty());
    analysis->MethodeTangentesAction()->trigger();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Méthode des tangentes impossible sur cette courbe"));
    EXPECT_FALSE(tangents.Shown());
    ToggleRun();
}

TEST_F(AnalysisCommandsTest, SecondDerivativeChangesSignAtVeOnTheAxisItSharesWithTheFirst)
{
    BenchTitration(Acid::Hydrochloric, 24);
    QChart* chart = window->Chart1->chart();
    const int axesBefore = static_cast<int>(chart->axes().size());
    analysis->DeriveeSecondeAction()->setChecked(true);
    analysis->FlushDerivative();
    QLineSeries* second = analysis->SecondDerivativeSeries();
    ASSERT_TRUE(OnChart(second));
    QValueAxis* axis = analysis->RightAxis();
    EXPECT_EQ(chart->axes(Qt::Vertical, second), QList<QAbstractAxis*>{axis});
    EXPECT_EQ(axis->alignment(), Qt::AlignRight);
    // Zero in the middle of its axis, where its dotted line runs.
    EXPECT_EQ(axis->min(), -axis->max());
    EXPECT_TRUE(OnChart(analysis->ZeroLine()));
    // From its highest value to its lowest, around the jump, it crosses zero near Ve.
    const QList<QPointF> values = second->points();
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end(),
                                                       [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    ASSERT_LT(highest, lowest);
    EXPECT_LE(highest->y(), axis->max());
    EXPECT_GE(lowest->y(), axis->min());
    const auto change = std::adjacent_find(highest, lowest + 1,
                                           [](const QPointF& a, const QPointF& b) { return a.y() >= 0 && b.y() < 0; });
    ASSERT_NE(change, lowest + 1);
    EXPECT_NEAR((change->x() + (change + 1)->x()) / 2, 20.0, 0.3);

    // With the first derivative: one axis for both, its title naming each in its colour.
    analysis->DeriveeAction()->setChecked(true);
    EXPECT_EQ(chart->axes(Qt::Vertical, analysis->DerivativeSeries()), QList<QAbstractAxis*>{axis});
    EXPECT_EQ(static_cast<int>(chart->axes().size()), axesBefore + 1);
    EXPECT_TRUE(axis->titleText().contains(QStringLiteral("dpH/dV")));
    EXPECT_TRUE(axis->titleText().contains(QStringLiteral("d²pH/dV²")));
    analysis->DeriveeSecondeAction()->setChecked(false);
    EXPECT_FALSE(OnChart(second));
    EXPECT_FALSE(OnChart(analysis->ZeroLine()));
    EXPECT_EQ(axis->titleText(), QStringLiteral("dpH/dV, en pH par mL"));
    analysis->DeriveeAction()->setChecked(false);
    EXPECT_EQ(static_cast<int>(chart->axes().size()), axesBefore);
}

struct ImageCase {
    const char* name;
    const char* typed;      // as typed in the dialog
    const char* filter;     // the name filter chosen
    const char* written;    // the file written
    bool svg;
};

void PrintTo(const ImageCase& c, std::ostream* out)
{
    *out << c.name;
}

class AnalysisSaveTest : public AnalysisCommandsTest, public ::testing::WithParamInterface<ImageCase> {
protected:
    void SetUp() override
    {
        AnalysisCommandsTest::SetUp();
        previousProgramDir = StartupValues::ProgramDir();
        StartupValues::SetProgramDir(folder.path());
        window->Data().SetFallbackFolderBase(folder.path());
    }
    void TearDown() override
    {
        StartupValues::SetProgramDir(previousProgramDir);
        AnalysisCommandsTest::TearDown();
    }
    QTemporaryDir folder;
    QString previousProgramDir;
};

TEST_P(AnalysisSaveTest, SavesTheChartAsAnImage)
{
    const ImageCase& c = GetParam();
    QString shownFolder;
    analysis->SetFileDialogRunner([&](QFileDialog& dialog) {
        shownFolder = dialog.directory().absolutePath();
        dialog.selectNameFilter(QString::fromUtf8(c.filter));
        return folder.filePath(QString::fromUtf8(c.typed));
    });
    analysis->DeriveeAction()->setChecked(true);
    analysis->EnregistrerGraphiqueAction()->trigger();
    EXPECT_EQ(shownFolder, window->Data().DataFolderPath());

    QFile file(folder.filePath(QString::fromUtf8(c.written)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.written;
    const QByteArray bytes = file.readAll();
    if (c.svg) {
        EXPECT_TRUE(bytes.contains("<svg"));
        // The right axis is laid out before the image is taken.
        EXPECT_TRUE(bytes.contains("dpH/dV"));
    } else {
        const QImage image = QImage::fromData(bytes, "PNG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), window->Chart1->grab().size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Images, AnalysisSaveTest,
    ::testing::Values(ImageCase{"PngTyped", "courbe.png", "Image SVG (*.svg)", "courbe.png", false},
                      ImageCase{"SvgTyped", "courbe.SVG", "Image PNG (*.png)", "courbe.SVG", true},
                      ImageCase{"PngByFilter", "courbe", "Image PNG (*.png)", "courbe.png", false},
                      ImageCase{"SvgByFilter", "courbe", "Image SVG (*.svg)", "courbe.svg", true},
                      ImageCase{"OtherExtension", "courbe.txt", "Image SVG (*.svg)", "courbe.txt.svg", true}),
    [](const ::testing::TestParamInfo<ImageCase>& info) { return std::string(info.param.name); });

TEST_F(AnalysisCommandsTest, CancelledOrUnwritableSave)
{
    QTemporaryDir folder;
    analysis->SetFileDialogRunner([](QFileDialog&) { return QString(); });
    analysis->EnregistrerGraphiqueClick();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    const QString missing = folder.filePath(QStringLiteral("absent/courbe.png"));
    analysis->SetFileDialogRunner([&](QFileDialog&) { return missing; });
    try {
        analysis->EnregistrerGraphiqueClick();
        FAIL() << "an unwritable path was reported as saved";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'enregistrer le fichier"))) << error.what();
    }
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(AnalysisCommandsTest, ElectrodeCheckInTheDifferenceMode)
{
    // The converted voltage is half the electrode's there; the check counts the whole.
    window->RadioGroup1Items->button(1)->click();
    PressEnterOn(window->Button1);
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer7);
    Reading();
    PressEnterOn(window->Button1);
    EXPECT_TRUE(window->StatusText().isEmpty());
    bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
    Reading();
    PressEnterOn(window->Button1);
    EXPECT_EQ(window->StatusText(), QStringLiteral("Électrode : pente 100 %, décalage +4 mV"));
}

TEST_F(AnalysisCommandsTest, EqualVoltagesMessageKeepsThePriority)
{
    // No reading between the presses: both captures hold the same voltage.
    for (int press = 0; press < 3; ++press)
        PressEnterOn(window->Button1);
    EXPECT_EQ(window->StatusText(), ElectrodeCalibration::kEqualVoltagesMessage);
}

}  // namespace
