#include "board/BenchWindow.h"
#include "board/SimulatedBench.h"
#include "FakeClock.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Place = SimulatedBench::ElectrodePlace;

class BenchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <class T>
    T* Child(const char* name)
    {
        T* child = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QString VolumeText() { return Child<QLabel>("volumeLabel")->text(); }

    // An access key clicks its button after the button's short press animation.
    template <class Condition>
    bool AltKey(Qt::Key key, Condition condition)
    {
        QTest::keyClick(&window, key, Qt::AltModifier);
        return QTest::qWaitFor(condition, 2000);
    }

    FakeClock clock;
    SimulatedBench bench{clock};
    BenchWindow window{bench};
};

TEST_F(BenchWindowTest, Window_SaysItIsASimulation)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Banc de simulation"));
    const auto labels = window.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text().contains(QStringLiteral("aucune carte d'acquisition"));
    }));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("noticeLabel")), nullptr);
    EXPECT_EQ(VolumeText(), QStringLiteral("Volume versé : 0,00 mL"));
    EXPECT_TRUE(Child<QRadioButton>("buffer7Radio")->isChecked());
}

TEST_F(BenchWindowTest, Notice_IsShownWhenGiven)
{
    BenchWindow withNotice(bench, QStringLiteral("Accès aux ports refusé."));
    const QLabel* notice = withNotice.findChild<QLabel*>(QStringLiteral("noticeLabel"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("Accès aux ports refusé."));
}

TEST_F(BenchWindowTest, Keyboard_OpensTheTapAndTheVolumeFollowsTheClock)
{
    QPushButton* tap = Child<QPushButton>("tapButton");
    EXPECT_TRUE(AltKey(Qt::Key_O, [this] { return bench.TapOpen(); }));
    EXPECT_EQ(tap->text(), QStringLiteral("&Fermer le robinet"));

    clock.Advance(12'500);
    EXPECT_TRUE(QTest::qWaitFor([this] { return VolumeText() == QStringLiteral("Volume versé : 2,50 mL"); }, 2000))
        << VolumeText().toStdString();

    tap->setFocus();
    QTest::keyClick(tap, Qt::Key_Space);
    EXPECT_FALSE(bench.TapOpen());
    EXPECT_EQ(tap->text(), QStringLiteral("&Ouvrir le robinet"));
}

TEST_F(BenchWindowTest, Keyboard_MovesTheElectrodeBetweenBuffersAndBeaker)
{
    EXPECT_TRUE(AltKey(Qt::Key_4, [this] { return bench.Place() == Place::Buffer4; }));
    EXPECT_TRUE(AltKey(Qt::Key_B, [this] { return bench.Place() == Place::Beaker; }));
    // The access key leaves the focus on the checked button; the arrows move the electrode on.
    QRadioButton* beaker = Child<QRadioButton>("beakerRadio");
    ASSERT_TRUE(beaker->hasFocus());
    QTest::keyClick(beaker, Qt::Key_Up);
    EXPECT_EQ(bench.Place(), Place::Buffer10);
    EXPECT_TRUE(Child<QRadioButton>("buffer10Radio")->isChecked());
}

TEST_F(BenchWindowTest, Keyboard_SetsTheFlowWithADecimalComma)
{
    QDoubleSpinBox* flow = Child<QDoubleSpinBox>("flowSpin");
    EXPECT_EQ(flow->text(), QStringLiteral("5,0 s"));
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(flow->hasFocus());
    flow->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(flow, QStringLiteral("2,5"));
    QTest::keyClick(flow, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(bench.SecondsPerMl(), 2.5);
}

TEST_F(BenchWindowTest, Keyboard_ChoosesTheAcidAndStartsAFreshBeaker)
{
    bench.OpenTap();
    clock.Advance(20'000);
    QComboBox* acid = Child<QComboBox>("acidBox");
    acid->setFocus();
    QTest::keyClick(acid, Qt::Key_Down);
    EXPECT_EQ(bench.BeakerAcid(), SimulatedBench::Acid::Ethanoic);
    EXPECT_FALSE(bench.TapOpen());
    EXPECT_EQ(VolumeText(), QStringLiteral("Volume versé : 0,00 mL"));

    bench.OpenTap();
    clock.Advance(1'000'000);
    EXPECT_TRUE(AltKey(Qt::Key_N, [this] { return bench.PouredVolumeMl() == 0.0; }));
    EXPECT_EQ(bench.BeakerAcid(), SimulatedBench::Acid::Ethanoic);
}

TEST_F(BenchWindowTest, EmptyBurette_IsSaid)
{
    bench.OpenTap();
    clock.Advance(1'000'000);
    EXPECT_TRUE(QTest::qWaitFor([this] { return VolumeText().contains(QStringLiteral("burette vide")); }, 2000));
    EXPECT_EQ(VolumeText(), QStringLiteral("Volume versé : 50,00 mL (burette vide)"));
}

TEST_F(BenchWindowTest, Keyboard_ChoosesTheCellItsPlacesAndTheAddedWater)
{
    using Cell = SimulatedBench::CellPlace;
    QWidget* electrodePlaces = Child<QRadioButton>("beakerRadio")->parentWidget();
    QWidget* cellPlaces = Child<QRadioButton>("cellBeakerRadio")->parentWidget();
    EXPECT_TRUE(electrodePlaces->isVisible());
    EXPECT_FALSE(cellPlaces->isVisible());

    EXPECT_TRUE(AltKey(Qt::Key_C, [this] { return bench.ProbeInUse() == SimulatedBench::Probe::ConductivityCell; }));
    EXPECT_TRUE(cellPlaces->isVisible());
    EXPECT_FALSE(electrodePlaces->isVisible());
    EXPECT_TRUE(Child<QRadioButton>("waterRadio")->isChecked());
    EXPECT_TRUE(AltKey(Qt::Key_K, [this] { return bench.CellDippedIn() == Cell::KClStandard; }));
    // The beaker's key now dips the cell; the electrode stays in its buffer.
    EXPECT_TRUE(AltKey(Qt::Key_B, [this] { return bench.CellDippedIn() == Cell::Beaker; }));
    EXPECT_EQ(bench.Place(), Place::Buffer7);

    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    QDoubleSpinBox* water = Child<QDoubleSpinBox>("waterSpin");
    ASSERT_TRUE(water->hasFocus());
    water->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(water, QStringLiteral("180"));
    EXPECT_EQ(bench.AddedWaterMl(), 0.0);  // not one beaker per digit
    QTest::keyClick(water, Qt::Key_Return);
    EXPECT_EQ(bench.AddedWaterMl(), 180.0);
    EXPECT_EQ(Child<QLabel>("beakerVolumeLabel")->text(), QStringLiteral("Volume avant titrage : Va = 200 mL"));

    EXPECT_TRUE(AltKey(Qt::Key_P, [this] { return bench.ProbeInUse() == SimulatedBench::Probe::PHElectrode; }));
    EXPECT_TRUE(electrodePlaces->isVisible());
    EXPECT_TRUE(Child<QRadioButton>("buffer7Radio")->isChecked());
    EXPECT_EQ(bench.CellDippedIn(), Cell::Beaker);
}

}  // namespace
