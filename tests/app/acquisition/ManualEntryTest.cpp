#include "TestWindow.h"

#include "acquisition/ManualEntryPanel.h"
#include "acquisition/QuantityChoice.h"
#include "acquisition/RunRecovery.h"
#include "data/ChemistryFile.h"
#include "data/MeasurementRecord.h"
#include "data/RecoveryFile.h"
#include "data/RecoveryWriter.h"
#include "files/DataCommands.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

namespace {

class ManualEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().remove(QuantityChoice::kSettingsKey);
        window = std::make_unique<TestWindow>();
    }
    void TearDown() override
    {
        window.reset();
        QSettings().remove(QuantityChoice::kSettingsKey);
    }

    ManualEntryPanel& Panel() { return window->ManualEntry(); }
    // As a student types: into the focused field (whose selected text the typing replaces),
    // Tab, the value, Enter.
    void Type(const QString& volume, const QString& value)
    {
        if (!volume.isNull())
            QTest::keyClicks(Panel().focusWidget(), volume);
        QTest::keyClick(Panel().focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(Panel().focusWidget(), value);
        QTest::keyClick(Panel().focusWidget(), Qt::Key_Return);
    }
    QStringList Column(int col) const
    {
        QStringList cells;
        for (int r = 1; r <= window->Record().PointCount(); ++r)
            cells << window->Record().Cell(col, r);
        return cells;
    }

    std::unique_ptr<TestWindow> window;
};

TEST_F(ManualEntryTest, TypedPoints_RefusedAtTheFieldSortedKeptForRecoverySavedAndOpenedBack)
{
    window->Menu().GrandeurConductivite1->trigger();
    window->Menu().Saisiemanuelle1->trigger();
    ASSERT_TRUE(Panel().isVisible());
    EXPECT_EQ(Panel().focusWidget(), Panel().VolumeField());

    Type(QString(), QStringLiteral("4,2"));  // the proposed 0
    EXPECT_EQ(window->Record().PointCount(), 1);
    EXPECT_EQ(Panel().focusWidget(), Panel().VolumeField());
    EXPECT_EQ(Panel().VolumeField()->selectedText(), QStringLiteral("1"));
    Type(QString(), QStringLiteral("3,9"));
    // A refusal at its field, and nothing typed before lost.
    Type(QStringLiteral("2"), QStringLiteral("abc"));
    EXPECT_EQ(window->Record().PointCount(), 2);
    EXPECT_EQ(Panel().focusWidget(), Panel().ValueField());
    EXPECT_TRUE(Panel().Message()->text().contains(QStringLiteral("n'est pas un nombre")));
    QTest::keyClicks(Panel().ValueField(), QStringLiteral("3.6"));  // replaces the selection
    QTest::keyClick(Panel().ValueField(), Qt::Key_Return);
    EXPECT_TRUE(Panel().Message()->text().isEmpty());
    Type(QStringLiteral("-1"), QStringLiteral("1"));
    EXPECT_TRUE(Panel().Message()->text().contains(QStringLiteral("négatif")));
    QTest::keyClicks(Panel().VolumeField(), QStringLiteral("0,5"));
    QTest::keyClick(Panel().VolumeField(), Qt::Key_Return);  // the value is still there
    // The last point corrected, then one removed and typed again.
    Panel().findChild<QPushButton*>(QStringLiteral("CorrigerDernier"))->click();
    QTest::keyClicks(Panel().ValueField(), QStringLiteral("4,05"));
    QTest::keyClick(Panel().ValueField(), Qt::Key_Return);
    Type(QStringLiteral("9"), QStringLiteral("7"));
    Panel().findChild<QPushButton*>(QStringLiteral("RetirerDernier"))->click();

    EXPECT_EQ(Column(MeasurementRecord::ColVolume),
              (QStringList{QStringLiteral("0,000000"), QStringLiteral("0,000500"), QStringLiteral("0,001000"), QStringLiteral("0,002000")}));
    EXPECT_EQ(Column(MeasurementRecord::ColPH), (QStringList{QStringLiteral("4,2000"), QStringLiteral("4,0500"), QStringLiteral("3,9000"), QStringLiteral("3,6000")}));
    EXPECT_EQ(window->Chart1->Points().size(), 4);
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("4"));

    // What a crash would leave: every point as typed, corrected and removed.
    const QString recoveryPath = window->Recovery().RunFilePath();
    window->Recovery().Writer().WaitIdle();
    const RecoveryFile::Contents left = RecoveryFile::Read(recoveryPath);
    EXPECT_EQ(left.quantity, MeasuredQuantity::ConductivityMilliSiemens);
    ASSERT_EQ(left.typed.size(), 4u);
    EXPECT_DOUBLE_EQ(left.typed[3].value, 4.05);

    // Escape closes, keeps the points and saves them as the end of a run does.
    QTest::keyClick(Panel().focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_EQ(window->Record().PointCount(), 4);
    window->Recovery().Writer().WaitIdle();
    EXPECT_FALSE(QFileInfo::exists(recoveryPath));
    const QFileInfoList saved = QDir(window->Data().DataFolderPath())
                                    .entryInfoList({QStringLiteral("*.che")}, QDir::Files, QDir::Time);
    ASSERT_FALSE(saved.isEmpty());
    const ChemistryFile::Contents file = ChemistryFile::Read(saved.front().absoluteFilePath());
    EXPECT_EQ(file.headerLines.value(12), QStringLiteral("Conductivité (mS/cm)"));

    // Back to the pH, then the file brings its quantity back with its digits.
    window->Menu().GrandeurPH1->trigger();
    EXPECT_EQ(window->Record().Cell(MeasurementRecord::ColPH, 0), QStringLiteral("pH"));
    window->Data().OpenNamedFile(saved.front().absoluteFilePath());
    EXPECT_EQ(window->Quantity().Current(), MeasuredQuantity::ConductivityMilliSiemens);
    EXPECT_EQ(window->Record().Cell(MeasurementRecord::ColPH, 0), QStringLiteral("σ (mS/cm)"));
    EXPECT_EQ(Column(MeasurementRecord::ColPH), (QStringList{QStringLiteral("4,2000"), QStringLiteral("4,0500"), QStringLiteral("3,9000"), QStringLiteral("3,6000")}));
    EXPECT_DOUBLE_EQ(window->Chart1->LeftAxis()->min(), 0.0);
    EXPECT_LT(window->Chart1->LeftAxis()->max(), 14.0);
    // What the user chose stays kept; the file only showed its own.
    EXPECT_EQ(QuantityChoice::Remembered(QSettings()), MeasuredQuantity::PH);
}

TEST_F(ManualEntryTest, RefusedDuringARunAndARunRefusedWhileTyping)
{
    window->Menu().Saisiemanuelle1->trigger();
    EXPECT_FALSE(window->Button2->isEnabled());
    EXPECT_FALSE(window->Menu().GrandeurConductivite1->isEnabled());
    window->Data().Rtablirtouslespoints1Click();
    EXPECT_EQ(window->StatusText(), DataCommands::RunInProgressMessage());
    QTest::keyClick(Panel().focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(window->Button2->isEnabled());
    // Nothing typed: nothing saved, the record as it was.
    EXPECT_EQ(window->Record().PointCount(), 0);
}

}  // namespace
