#include "report/ReportCommands.h"

#include "data/FileError.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/TFDgCommentaire.h"
#include "files/DataCommands.h"
#include "RunFixture.h"
#include "window/RecordChart.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <functional>

namespace {

// The text of a PDF file as poppler reads it, pages separated by form feeds.
QString PdfText(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) {
        ADD_FAILURE() << "pdftotext is missing: install poppler-utils (scripts/install-deps)";
        return {};
    }
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                         QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << path.toStdString() << ": "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReportCommandsTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        report = window->findChild<ReportCommands*>();
        ASSERT_NE(report, nullptr);
        report->SetFileDialogRunner([this](QFileDialog&) { return chosenPath; });
    }

    // `count` points every 0,1 mL of a jump centred at 20 mL, as an open leaves them.
    void FillRecord(int count)
    {
        QString text;
        for (int i = 0; i < count; ++i) {
            const double ml = i * 0.1;
            text += NumberText::Fixed(7.0 + 4.0 * std::tanh((ml - 20.0) / 0.5), 4, 3) + QLatin1Char('\t')
                + NumberText::Fixed(ml / 1000.0, 6, 6) + QLatin1Char('\r');
        }
        MeasurementRecord& record = window->Record();
        MeasurementTextIo::FillTableFromText(record, text);
        record.RebuildChart();
        record.SetChartTitles(false);
    }

    // The comment and quantities typed in the comment dialog, as a user does.
    void TypeInCommentDialog(const QString& comment, const QString& cb, const QString& va)
    {
        window->Data().SetModalRunner([&](QDialog& dialog) {
            auto& d = static_cast<TFDgCommentaire&>(dialog);
            d.Edit1()->setText(comment);
            d.Edit3()->setText(cb);
            d.Edit4()->setText(va);
        });
        window->Menu().Ajouteruncommentaire1->trigger();
    }

    QTemporaryDir folder;
    QString chosenPath;
    ReportCommands* report = nullptr;
};

struct PdfCase {
    const char* name;
    int points;
    bool printer;  // through the print dialog, printing to a file
    int pages;
    QStringList expected;  // regular expressions the text must hold
};

void PrintTo(const PdfCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReportPdfTest : public ReportCommandsTest, public ::testing::WithParamInterface<PdfCase> {};

TEST_P(ReportPdfTest, PagesAndText)
{
    const PdfCase& c = GetParam();
    FillRecord(c.points);
    if (c.points > 0)
        TypeInCommentDialog(QStringLiteral("Dosage de l'acide chlorhydrique"), QStringLiteral("0.1"),
                            QStringLiteral("0,020"));
    chosenPath = folder.filePath(QStringLiteral("rapport.pdf"));
    if (c.printer) {
        report->SetPrintDialogRunner([this](QPrintDialog& dialog) {
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(chosenPath);
            return true;
        });
        window->Menu().Imprimer1->trigger();
    } else {
        window->Menu().ExporterenPDF1->trigger();
    }
    const QString text = PdfText(chosenPath);
    EXPECT_EQ(text.count(QLatin1Char('\f')), c.pages) << text.toStdString();
    // The chart's texts are text in the PDF: the chart went in as vectors, not as a picture.
    QStringList expected = c.expected;
    expected << QStringLiteral("Volume v de réactif versé, en millilitres")
             << QStringLiteral("Page %1 / %1").arg(c.pages);
    for (const QString& pattern : expected)
        EXPECT_TRUE(text.contains(QRegularExpression(pattern))) << pattern.toStdString() << "\n" << text.toStdString();
}

const QStringList kFullReport = {
    QStringLiteral("Dosage de l'acide chlorhydrique"),
    QStringLiteral("Imprimé le \\d\\d/\\d\\d/\\d{4} à \\d\\d:\\d\\d"),
    QStringLiteral("Concentration dans le bécher, en mol/L : 0,01"),
    QStringLiteral("Concentration dans la burette, en mol/L : 0.1"),
    QStringLiteral("Volume dans le bécher, en L : 0,020"),
    QStringLiteral("Ve = (19,9\\d|20,0\\d) mL"),
    QStringLiteral("Ca = (9,9\\d × 10⁻²|1,00 × 10⁻¹) mol/L"),
    QStringLiteral("Volume \\(mL\\) +pH"),
    QStringLiteral("\\n +0,000 +3,000 "),
    QStringLiteral(" 29,900 +11,000\\s"),
};

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportPdfTest,
    ::testing::Values(PdfCase{"EmptyRecord", 0, false, 1, {QStringLiteral("^\\s*Titrage\\s")}},
                      // 216 rows on a table page: 300 points take two.
                      PdfCase{"ThreeHundredPoints", 300, false, 3, kFullReport},
                      PdfCase{"Printed", 300, true, 3, kFullReport}),
    [](const ::testing::TestParamInfo<PdfCase>& info) { return std::string(info.param.name); });

TEST_F(ReportCommandsTest, UnwritablePathLeavesNoFile)
{
    FillRecord(10);
    chosenPath = folder.filePath(QStringLiteral("absent/rapport"));
    const std::function<void()> exports[] = {[this] { report->ExporterenPDF1Click(); },
                                             [this] { report->Exporterletableau1Click(); }};
    for (const std::function<void()>& exportTo : exports) {
        try {
            exportTo();
            ADD_FAILURE() << "an unwritable path was reported as written";
        } catch (const FileError& error) {
            EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'enregistrer le fichier"))) << error.what();
        }
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}

TEST_F(ReportCommandsTest, ChartOnTheClipboardAtItsSizeOnScreen)
{
    FillRecord(300);
    QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
    window->Menu().Copierlegraphique1->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QImage image = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), window->Chart1->size() * window->Chart1->devicePixelRatio());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), image.size());
}

TEST_F(ReportCommandsTest, AccessKeysAreDistinctInEachMenu)
{
    for (QAction* top : window->menuBar()->actions()) {
        if (!top->menu())
            continue;
        QStringList keys;
        for (QAction* item : top->menu()->actions()) {
            const qsizetype at = item->text().indexOf(QLatin1Char('&'));
            if (at >= 0 && at + 1 < item->text().size())
                keys << item->text().mid(at + 1, 1).toLower();
        }
        for (const QString& key : keys)
            EXPECT_EQ(keys.count(key), 1) << top->text().toStdString() << ": &" << key.toStdString();
    }
    EXPECT_EQ(window->Menu().Imprimer1->text(), QStringLiteral("&Imprimer..."));
    EXPECT_EQ(window->Menu().Copierlegraphique1->text(), QStringLiteral("Copier le &graphique"));
}

}  // namespace
