#include "analysis/UncertaintyCommands.h"

#include "analysis/AnalysisCommands.h"
#include "analysis/UncertaintyDialog.h"
#include "chemistry/TitrationChemistry.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/TFDgCommentaire.h"
#include "files/DataCommands.h"
#include "report/ReportCommands.h"
#include "RunFixture.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

class UncertaintyCommandsTest : public RunFixture {
protected:
    void SetUp() override
    {
        TestEnvironment::ClearSettings();
        RunFixture::SetUp();
        analysis = window->findChild<AnalysisCommands*>();
        ASSERT_NE(analysis, nullptr);
        // 20 mL of hydrochloric acid at 0,01 mol/L titrated by soda at 0,01 mol/L, every 0,5 mL.
        TitrationChemistry::Titration t;
        t.species = TitrationChemistry::Species::StrongAcid;
        t.beakerMolPerL = 0.01;
        QString text;
        for (int i = 0; i <= 60; ++i) {
            const double ml = i * 0.5 + 0.2;
            text += NumberText::Fixed(TitrationChemistry::PH(t, ml), 5, 3) + QLatin1Char('\t')
                    + NumberText::Fixed(ml / 1000.0, 6, 6) + QLatin1Char('\r');
        }
        MeasurementTextIo::FillTableFromText(window->Record(), text);
        window->Record().RebuildChart();
        window->Data().SetModalRunner([](QDialog& dialog) {
            static_cast<TFDgCommentaire&>(dialog).Edit3()->setText(QStringLiteral("0,01"));
            static_cast<TFDgCommentaire&>(dialog).Edit4()->setText(QStringLiteral("0,020"));
        });
        window->Menu().Ajouteruncommentaire1->trigger();
    }

    // Opens "&Incertitudes..." and, while the dialog is up, runs `act` on it.
    void Open(const std::function<void(UncertaintyDialog&)>& act)
    {
        analysis->Uncertainties().SetModalRunner([&](QDialog& dialog) {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            act(static_cast<UncertaintyDialog&>(dialog));
            dialog.hide();
        });
        window->findChild<QAction*>(QStringLiteral("Incertitudes1"))->trigger();
    }

    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    AnalysisCommands* analysis = nullptr;
};

TEST_F(UncertaintyCommandsTest, DialogShowsTheBudgetAndTheHistogramAndKeepsWhatIsTyped)
{
    Open([&](UncertaintyDialog& dialog) {
        EXPECT_EQ(dialog.BuretteEdit()->text(), QStringLiteral("0,05"));
        EXPECT_EQ(dialog.PipetteEdit()->text(), QStringLiteral("0,03"));
        EXPECT_EQ(dialog.ReferenceEdit()->text(), QString());
        // One method only (the derivative's peak): no choice to offer.
        EXPECT_TRUE(dialog.MethodBox()->isHidden());
        // Ve lies in a 0,5 mL step: u = 0,5/√12 = 0,144; with the burette's and the reading's
        // 0,029 each, u(Ve) = 0,15 mL.
        EXPECT_TRUE(dialog.DetailText().contains(QStringLiteral("u(Ve) due à la méthode (pic de la dérivée) : 0,14 mL")))
            << dialog.DetailText().toStdString();
        EXPECT_TRUE(dialog.DetailText().contains(QStringLiteral("± 0,15) mL"))) << dialog.DetailText().toStdString();
        EXPECT_TRUE(dialog.DetailText().contains(QStringLiteral("Monte-Carlo (100\u00A0000 tirages)")));
        // The histogram: one step per bin, every draw counted; the mean near Ca = 1,00e-2.
        const QList<QPointF> steps = dialog.HistogramOutline()->points();
        ASSERT_GE(steps.size(), 10);
        double drawn = 0.0;
        for (qsizetype i = 0; i < steps.size(); i += 2)
            drawn += steps[i].y();
        EXPECT_EQ(drawn, 100000.0);
        ASSERT_EQ(dialog.MeanLine()->count(), 2);
        EXPECT_NEAR(dialog.MeanLine()->at(0).x(), 9.95, 0.1);  // in 10⁻³ mol/L

        // A change follows at once; a value that does not read is refused on OK, in French.
        Type(dialog.BuretteEdit(), QStringLiteral("0.1"));
        EXPECT_TRUE(dialog.DetailText().contains(QStringLiteral("u(Ve) due à la burette (tolérance / √3) : 0,058 mL")))
            << dialog.DetailText().toStdString();
        Type(dialog.ReadingEdit(), QStringLiteral("abc"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.RefusalText(), QStringLiteral("Tolérance de lecture : « abc » n'est pas un nombre."));
        EXPECT_TRUE(dialog.ReadingEdit()->hasFocus());
        Type(dialog.ReadingEdit(), QStringLiteral("0,02"));
        Type(dialog.ReferenceEdit(), QStringLiteral("0,0105"));
        EXPECT_TRUE(dialog.DetailText().contains(QStringLiteral("; non compatible (z > 2)")))
            << dialog.DetailText().toStdString();
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    const UncertaintyResults::Settings kept = UncertaintyCommands::ReadKept();
    EXPECT_DOUBLE_EQ(kept.tolerances.buretteMl, 0.1);
    EXPECT_DOUBLE_EQ(kept.tolerances.readingMl, 0.02);
    ASSERT_TRUE(kept.referenceMolPerL.has_value());
    EXPECT_DOUBLE_EQ(*kept.referenceMolPerL, 0.0105);

    // The results carry them: the status, the copy (code page safe), the report's lines.
    analysis->PointEquivalenceClick();
    EXPECT_TRUE(window->StatusText().contains(QStringLiteral(" ; Ca = (9,9"))) << window->StatusText().toStdString();
    EXPECT_TRUE(window->StatusText().endsWith(QStringLiteral("(non compatible)"))) << window->StatusText().toStdString();
    analysis->CopierResultatsClick();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral("Compatible avec la référence\tnon\r")));
    const QStringList printed = window->findChild<ReportCommands*>()->Content().results;
    // Whole lines match: each pattern runs to the line's end.
    EXPECT_GE(printed.indexOf(QRegularExpression(QStringLiteral("Incertitudes \\(pic de la dérivée\\) : Ve = .*"))), 0)
        << printed.join(QLatin1Char('\n')).toStdString();
    EXPECT_GE(printed.indexOf(QRegularExpression(QStringLiteral("Écart normalisé à la référence : z = .*"))), 0);
    // The spreadsheet file has them after the table.
    QTemporaryDir folder;
    const QString csv = folder.filePath(QStringLiteral("dosage.csv"));
    window->findChild<ReportCommands*>()->SetFileDialogRunner([&](QFileDialog&) { return csv; });
    window->Menu().Exporterletableau1->trigger();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(written.contains(QStringLiteral("\r\n\r\nIncertitudes selon la méthode;pic de la dérivée\r\n")));
    EXPECT_TRUE(written.contains(QStringLiteral("\r\nCompatible avec la référence;non\r\n")));

    // Cancelled, the dialog changes nothing; the next opening shows what was kept.
    Open([&](UncertaintyDialog& dialog) {
        EXPECT_EQ(dialog.BuretteEdit()->text(), QStringLiteral("0,1"));
        Type(dialog.ReferenceEdit(), QString());
        dialog.reject();
    });
    EXPECT_TRUE(UncertaintyCommands::ReadKept().referenceMolPerL.has_value());
}

TEST_F(UncertaintyCommandsTest, DamagedSettingsGiveTheDefaults)
{
    for (const char* stored : {"abc", "-1", "7", "nan"}) {
        {
            QSettings settings;
            settings.beginGroup(UncertaintyCommands::kSettingsGroup);
            for (const char* key : {"Burette", "Lecture", "Pipette", "Cb", "CaReference"})
                settings.setValue(QLatin1String(key), QLatin1String(stored));
        }
        const UncertaintyResults::Settings read = UncertaintyCommands::ReadKept();
        const Uncertainty::Tolerances defaults;
        EXPECT_EQ(read.tolerances.buretteMl, defaults.buretteMl) << stored;
        EXPECT_EQ(read.tolerances.readingMl, defaults.readingMl) << stored;
        EXPECT_EQ(read.tolerances.pipetteMl, defaults.pipetteMl) << stored;
        EXPECT_EQ(read.tolerances.buretteConcentrationMolPerL, defaults.buretteConcentrationMolPerL) << stored;
        EXPECT_EQ(read.referenceMolPerL.has_value(), std::string(stored) == "7") << stored;
    }
}

}  // namespace
