#include "analysis/AnalysisCommands.h"
#include "data/MeasurementRecord.h"
#include "help/HelpController.h"
#include "help/HelpWindow.h"
#include "help/TAboutBox.h"
#include "support/StartupValues.h"
#include "TestEnvironment.h"
#include "TestWindow.h"
#include "window/RecordChart.h"
#include "window/TFAcquisition.h"

#include <QAction>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QImage>
#include <QPainter>
#include <QLineEdit>
#include <QMenu>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSettings>
#include <QChart>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <gtest/gtest.h>

namespace {

// Titles are laid out as rich text, which the chart cuts with "..." beyond the room it has.
qreal TitleWidth(const QFont& font, const QString& text)
{
    QGraphicsTextItem item;
    item.setFont(font);
    item.setHtml(text);
    return item.boundingRect().width();
}

class TFAcquisitionTest : public ::testing::Test {
protected:
    void SetUp() override { TestEnvironment::ClearSettings(); }
    void TearDown() override { TestEnvironment::ClearSettings(); }

    static QSettings Settings() { return QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin")); }
};

TEST_F(TFAcquisitionTest, StartsWithTheDesignedWindow)
{
    TestWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Torvi : Quorin, mesure de pH, avec une carte d'acquisition Kestrola."));
    EXPECT_EQ(w.Button2->text(), QStringLiteral("&Mesurer"));
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Etal&onner"));
    EXPECT_EQ(w.Edit3->text(), QStringLiteral("1"));
    EXPECT_EQ(w.Edit2->text(), QStringLiteral("0"));
    EXPECT_FALSE(w.Edit2->isEnabled());
    EXPECT_EQ(w.Edit6->text(), QStringLiteral("0"));
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(w.Timer2->isActive());
    EXPECT_EQ(w.Timer1->interval(), 500);
    EXPECT_EQ(w.Timer2->interval(), 500);
    EXPECT_EQ(w.StringGrid1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(w.Chart1->TitleText(), QStringLiteral(" "));
    EXPECT_EQ(w.Chart1->LeftAxis()->min(), 0);
    EXPECT_EQ(w.Chart1->LeftAxis()->max(), 14);
    EXPECT_EQ(w.geometry().size(), QSize(571, 575));
}

TEST_F(TFAcquisitionTest, AtTheDesignedSizeHeadersCaptionsAndChartTitlesShowWhole)
{
    TestWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTableView* grid = w.StringGrid1;
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    const int margin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid->horizontalHeader());
    for (int c : {MeasurementRecord::ColPH, MeasurementRecord::ColVolume}) {
        const QString text = grid->model()->headerData(c, Qt::Horizontal).toString();
        const int left = grid->columnViewportPosition(c);
        const int shown = std::min(left + grid->columnWidth(c), grid->viewport()->width()) - left;
        EXPECT_LE(metrics.horizontalAdvance(text) + 2 * margin, shown) << text.toStdString();
    }

    // After a run: the longer count caption and the volume-mode titles.
    w.Label8->setText(QStringLiteral("Nombre de points de mesure retenus"));
    w.Record().SetChartTitles(false);
    QTest::qWait(50);
    EXPECT_GE(w.Label8->height(), w.Label8->heightForWidth(w.Label8->width()));
    QChart* chart = w.Chart1->chart();
    const QValueAxis* axis = w.Chart1->BottomAxis();
    EXPECT_LE(TitleWidth(axis->titleFont(), axis->titleText()), chart->plotArea().width());
    EXPECT_LE(TitleWidth(chart->titleFont(), chart->title()), chart->size().width() - 20);
    // And with both derivatives on their right-hand axis.
    auto* analysis = w.findChild<AnalysisCommands*>();
    analysis->DeriveeAction()->setChecked(true);
    analysis->DeriveeSecondeAction()->setChecked(true);
    chart->layout()->activate();
    EXPECT_LE(TitleWidth(axis->titleFont(), axis->titleText()), chart->plotArea().width());
}

TEST_F(TFAcquisitionTest, ChartAxisTextKeepsThinLettersApartWhereverTheyFall)
{
    TestWindow w;
    const QFont font = w.Chart1->BottomAxis()->titleFont();
    // "illi" placed at every eighth of a pixel: four stems, each pair parted by a lighter column.
    for (int eighth = 0; eighth < 8; ++eighth) {
        SCOPED_TRACE(eighth);
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(4 + eighth / 8.0, 14), QStringLiteral("illi"));
        painter.end();
        QList<int> darkness(image.width(), 0);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                darkness[x] += 255 - qGray(image.pixel(x, y));
        // A stem ends where the darkness falls to two thirds of its peak; the next one starts
        // where it rises again half as high again as the valley.
        const int ink = *std::max_element(darkness.begin(), darkness.end()) / 4;
        int stems = 0;
        bool inStem = false;
        int peak = 0;
        int valley = 0;
        for (int dark : darkness) {
            if (inStem) {
                peak = std::max(peak, dark);
                if (dark * 3 <= peak * 2) {
                    inStem = false;
                    valley = dark;
                }
            } else {
                valley = std::min(valley, dark);
                if (dark > ink && dark * 2 >= valley * 3) {
                    inStem = true;
                    peak = dark;
                    ++stems;
                }
            }
        }
        EXPECT_EQ(stems, 4);
    }
}

TEST_F(TFAcquisitionTest, MenuHasEveryItemWithItsShortcut)
{
    TestWindow w;
    const MainMenu& m = w.Menu();
    EXPECT_EQ(m.Ouvrir1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(m.Enregistrer1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(m.Quitter1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(m.CarteKestrola1->isChecked());
    EXPECT_FALSE(m.CarteBrinmox1->isEnabled());
    EXPECT_EQ(m.Copiersparateurdcimal2->text(), QStringLiteral("Co&pier, séparateur décimal = ."));
    EXPECT_EQ(m.Rtablirtouslespoints1->text(), QStringLiteral("&Rétablir tous les points de mesure"));
    EXPECT_EQ(m.Conseils1->text(), QStringLiteral("Ai&de rapide"));
    EXPECT_EQ(m.Conseils1->menu(), nullptr);
}

TEST_F(TFAcquisitionTest, AppendedSamplesShowInGridAndChartInTimeMode)
{
    TestWindow w;
    w.show();
    MeasurementRecord& r = w.Record();
    r.ResetRecord();
    r.SetChartTitles(true);
    for (double pH : {3.5, 3.6, 3.7})
        r.AppendSample(pH);
    w.Chart1->FlushPending();
    EXPECT_EQ(w.Chart1->TitleText(), QStringLiteral("pH, fonction de la date t"));
    EXPECT_EQ(w.Chart1->BottomAxis()->titleText(), QStringLiteral("Date t en secondes"));
    const QList<QPointF> points = w.Chart1->Series1()->points();
    ASSERT_EQ(points.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(points[i].x(), i);
    EXPECT_EQ(w.Chart1->PointColour(), QColor(255, 0, 0));
    EXPECT_EQ(w.StringGrid1->model()->rowCount(), 3);
    EXPECT_EQ(w.StringGrid1->model()->index(1, 0).data().toString(), QStringLiteral("3,600"));
    EXPECT_EQ(w.StringGrid1->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Acquisition"));
}

TEST_F(TFAcquisitionTest, RebuildChartDrawsVolumeModeInLimeGreen)
{
    TestWindow w;
    MeasurementRecord& r = w.Record();
    r.SetRowCount(3);
    r.SetPointCount(2);
    r.SetCell(MeasurementRecord::ColPH, 1, QStringLiteral("7,000"));
    r.SetCell(MeasurementRecord::ColVolume, 1, QStringLiteral("0,012000"));
    r.SetCell(MeasurementRecord::ColPH, 2, QStringLiteral("3,000"));
    r.SetCell(MeasurementRecord::ColVolume, 2, QStringLiteral("0,001000"));
    r.SetChartTitles(false);
    r.RebuildChart();
    const QList<QPointF> points = w.Chart1->Series1()->points();
    ASSERT_EQ(points.size(), 2);
    EXPECT_DOUBLE_EQ(points[0].x(), 1.0);
    EXPECT_DOUBLE_EQ(points[1].x(), 12.0);
    EXPECT_EQ(w.Chart1->PointColour(), QColor(0, 255, 0));
    EXPECT_EQ(w.Chart1->BottomAxis()->titleText(), QStringLiteral("Volume v de réactif versé, en millilitres"));
    // An empty record leaves the drawn series alone.
    r.SetPointCount(0);
    r.RebuildChart();
    EXPECT_EQ(w.Chart1->Series1()->count(), 2);
}

TEST_F(TFAcquisitionTest, GridKeepsTheNewestRowInView)
{
    TestWindow w;
    w.show();
    MeasurementRecord& r = w.Record();
    r.ResetRecord();
    for (int i = 0; i < 40; ++i)
        r.AppendSample(7.0);
    QTest::qWait(10);
    EXPECT_EQ(r.TopRow(), 26);
    // The view cannot scroll past its end, so it shows the newest row rather than row 26 on top.
    const QRect newest = w.StringGrid1->visualRect(w.StringGrid1->model()->index(39, 0));
    EXPECT_TRUE(w.StringGrid1->viewport()->rect().intersects(newest));
    EXPECT_GT(w.StringGrid1->rowAt(0), 0);
}

TEST_F(TFAcquisitionTest, ClosingMaximisedWritesOnlyTheState)
{
    {
        QSettings s = Settings();
        s.setValue(QStringLiteral("Haut"), 123);
    }
    TestWindow w;
    w.showMaximized();
    QTest::qWait(10);
    w.close();
    QSettings s = Settings();
    EXPECT_EQ(s.value(QStringLiteral("EtatFenetre")).toInt(), 2);
    EXPECT_EQ(s.value(QStringLiteral("Haut")).toInt(), 123);
    EXPECT_FALSE(s.contains(QStringLiteral("Largeur")));
}

TEST_F(TFAcquisitionTest, ClosingNormalWritesStateAndGeometryAsIntegers)
{
    TestWindow w;
    w.show();
    QTest::qWait(10);
    w.close();
    QSettings s = Settings();
    EXPECT_EQ(s.value(QStringLiteral("EtatFenetre")).toInt(), 0);
    for (const char* key : {"Haut", "Gauche", "Largeur", "Hauteur"})
        EXPECT_TRUE(s.contains(QString::fromLatin1(key))) << key;
    EXPECT_EQ(s.value(QStringLiteral("Largeur")).toInt(), w.frameGeometry().width());
}

TEST_F(TFAcquisitionTest, CtrlQWritesNothing)
{
    TestWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    w.close();
    EXPECT_TRUE(Settings().allKeys().isEmpty());
}

TEST_F(TFAcquisitionTest, StatusTextSurvivesMenuHover)
{
    TestWindow w;
    w.SetStatusText(QStringLiteral("Erreur"));
    QStatusTipEvent tip{QString()};
    QCoreApplication::sendEvent(&w, &tip);
    EXPECT_EQ(w.StatusText(), QStringLiteral("Erreur"));
}

TEST_F(TFAcquisitionTest, F1OpensTopicFourOfTheProgramHelpAndTheMenuReachesItsWindows)
{
    const QString helpFolder = QStringLiteral(QUORIN_SOURCE_DIR "/resources");
    const QString previousDir = StartupValues::ProgramDir();
    StartupValues::SetProgramDir(helpFolder);
    StartupValues::SetHelpFilePath(helpFolder + QStringLiteral("/Aides/Vexbase7.Hlp"));
    {
        TestWindow w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.Button2->setFocus();
        QTest::keyClick(w.Button2, Qt::Key_F1);
        ASSERT_NE(w.Help().Window(), nullptr);
        EXPECT_TRUE(w.Help().Window()->isVisible());
        EXPECT_EQ(w.Help().Window()->CurrentTopic(), 4);
        EXPECT_TRUE(w.Help().Window()->CurrentFile().endsWith(QStringLiteral("Vexbase7.Hlp")));
        w.Help().Window()->close();

        w.Menu().Apropos1->trigger();
        EXPECT_TRUE(w.AboutBox->isVisible());
        EXPECT_FALSE(w.AboutBox->isModal());
    }
    StartupValues::SetProgramDir(previousDir);
}

}  // namespace
