#include "data/UncertaintyResults.h"

#include "data/PointTableExport.h"
#include "QtPrinters.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>

namespace {

using namespace UncertaintyResults;

// Ve = 19,90 mL found with u = 0,08 mL; burette and reading ± 0,05 mL; Cb = 0,0100 ± 0,0001
// mol/L; Va = 20,00 ± 0,03 mL. By hand: u(Ve) = √(0,08² + 2 × 0,05²/3) = 0,0898 mL; relative
// parts Cb 0,577 %, Va 0,0866 %, Ve 0,451 %; u(Ca) = 9,95e-3 × 0,738 % = 7,342e-5 mol/L.
TEST(UncertaintyResults, TextsOfOneMethodWithAndWithoutCbVaOrReference)
{
    struct Case {
        bool quantities;
        std::optional<double> reference;
        const char* status;
        int clipboardLines;
        int reportLines;
    };
    const char* const withCa = " ; Ve = (19,90 ± 0,09) mL ; Ca = (9,950 ± 0,073) × 10⁻³ mol/L";
    const Case cases[] = {
        {false, 1.0e-2, " ; Ve = (19,90 ± 0,09) mL", 6, 1},
        {true, std::nullopt, withCa, 2 + 6 + 2, 2},
        {true, 1.0e-2, " ; z = 0,68 (compatible)", 2 + 6 + 2 + 3, 3},
        {true, 1.02e-2, " ; z = 3,40 (non compatible)", 2 + 6 + 2 + 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        Settings settings;
        settings.referenceMolPerL = c.reference;
        const Found found{Method::Peak, 19.9, {0.08, Uncertainty::Shape::Normal}};
        const Entry entry = c.quantities ? Evaluate(found, 0.01, 20.0, settings, true)
                                         : Evaluate(found, std::nullopt, 20.0, settings, true);
        const QString status = StatusSuffix(entry);
        EXPECT_TRUE(status.endsWith(QString::fromUtf8(c.status))) << status.toStdString();
        if (c.quantities) {
            EXPECT_TRUE(status.startsWith(QString::fromUtf8(withCa))) << status.toStdString();
        }
        EXPECT_EQ(entry.concentration, c.quantities);
        EXPECT_EQ(entry.comparison.has_value(), c.quantities && c.reference.has_value());

        const QString copied = ClipboardLines(entry);
        // What leaves for the clipboard and the spreadsheet survives the code page whole.
        EXPECT_EQ(Windows1252::Decode(Windows1252::Encode(copied)), copied);
        const QStringList lines = copied.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), c.clipboardLines);
        EXPECT_EQ(lines[0], QStringLiteral("Incertitudes selon la méthode\tpic de la dérivée"));
        EXPECT_EQ(lines[1], QStringLiteral("Ve en mL\t19,90"));
        EXPECT_EQ(lines[5], QStringLiteral("Incertitude-type sur Ve en mL\t0,09"));
        for (const QString& line : lines)
            EXPECT_EQ(line.count(QLatin1Char('\t')), 1) << line.toStdString();

        const QStringList report = ReportLines(entry);
        EXPECT_EQ(report.size(), c.reportLines);
        EXPECT_TRUE(report[0].startsWith(QStringLiteral("Incertitudes (pic de la dérivée) : Ve = (19,90 ± 0,09) mL")));
    }
    Settings settings;
    const Entry entry = Evaluate({Method::Model, 19.9, {0.08, Uncertainty::Shape::Normal}}, 0.01, 20.0, settings, false);
    EXPECT_FALSE(entry.monteCarlo.has_value());
    EXPECT_EQ(DetailLines(entry)[5], QStringLiteral("incertitudes relatives : Cb 0,58 % ; Va 0,087 % ; Ve 0,45 %"));
    EXPECT_EQ(DetailLines(entry)[0], QStringLiteral("u(Ve) due à la méthode (modèle) : 0,08 mL"));
}

TEST(UncertaintyResults, TypedValuesAreReadOrRefusedInFrench)
{
    struct Case {
        const char* text;
        bool reference;
        std::optional<double> value;
        const char* refusal;
    };
    const Case cases[] = {
        {"0,05", false, 0.05, ""},
        {" 0.03 ", false, 0.03, ""},
        {"0", false, 0.0, ""},
        {"abc", false, std::nullopt, "Tolérance de la burette : « abc » n'est pas un nombre."},
        {"", false, std::nullopt, "Tolérance de la burette : valeur manquante."},
        {"-0,1", false, std::nullopt, "Tolérance de la burette : la valeur doit être comprise entre 0 et 5 mL."},
        {"12", false, std::nullopt, "Tolérance de la burette : la valeur doit être comprise entre 0 et 5 mL."},
        {"", true, std::nullopt, ""},
        {"1,00e-2", true, 0.01, ""},
        {"0", true, std::nullopt, "Ca de référence : la valeur doit être supérieure à 0 mol/L."},
        {"dix", true, std::nullopt, "Ca de référence : « dix » n'est pas un nombre."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const Reading read = c.reference ? ReadReference(text)
                                         : ReadTolerance(text, QStringLiteral("Tolérance de la burette"), 5.0,
                                                         QStringLiteral("mL"));
        EXPECT_EQ(read.value.has_value(), c.value.has_value());
        if (c.value && read.value) {
            EXPECT_DOUBLE_EQ(*read.value, *c.value);
        }
        EXPECT_EQ(read.refusal, QString::fromUtf8(c.refusal));
    }
}

TEST(UncertaintyResults, SpreadsheetFileCarriesTheResultsAfterTheTable)
{
    PointTableExport::Table table;
    table.xCaption = QStringLiteral("Volume (mL)");
    table.rows = {{QStringLiteral("0,000"), QStringLiteral("3,02")}};
    const QByteArray bytes = PointTableExport::CsvBytes(table, QStringLiteral("Ve en mL\t19,90\rNote; \"a\"\tx\r"));
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBFVolume (mL);pH\r\n0,000;3,02\r\n\r\nVe en mL;19,90\r\n"
                                "\"Note; \"\"a\"\"\";x\r\n"));
    EXPECT_EQ(PointTableExport::CsvBytes(table, QString()), PointTableExport::CsvBytes(table));
}

}  // namespace
