#include "files/DataCommands.h"

#include "data/ChemistryFile.h"
#include "data/ClipboardPut.h"
#include "data/ClipboardText.h"
#include "data/DataFolder.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/PointReduction.h"
#include "data/TFDgCommentaire.h"
#include "data/TFDialogRedPoints.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/FileDialogRunner.h"
#include "support/StartupValues.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>

namespace {

QString ErrorMessage()
{
    return QStringLiteral("Erreur");
}

}  // namespace

DataCommands::DataCommands(QWidget* window, MeasurementRecord& record, QObject* parent)
    : QObject(parent)
    , record_(record)
    , commentDialog_(new TFDgCommentaire(window))
    , reductionDialog_(new TFDialogRedPoints(window))
    , openDialog1_(new QFileDialog(window))
    , saveDialog1_(new QFileDialog(window))
    , runInProgress_([] { return false; })
    , fileDialogRunner_(RunFileDialog)
    , modalRunner_([](QDialog& dialog) { dialog.exec(); })
    , window_(window)
{
    openDialog1_->setObjectName(QStringLiteral("OpenDialog1"));
    saveDialog1_->setObjectName(QStringLiteral("SaveDialog1"));
    commentDialog_->ShowValues(document_.Values().currentComment, document_.Values());
}

DataCommands::~DataCommands()
{
    if (worker_) {
        *cancelReading_ = true;
        worker_->wait();
    }
}

QString DataCommands::RunInProgressMessage()
{
    return QStringLiteral("Impossible pendant une mesure");
}

QString DataCommands::DataFolderPath() const
{
    return DataFolder::Resolve(StartupValues::ProgramDir(), fallbackBase_);
}

bool DataCommands::RefusedDuringRun()
{
    if (!runInProgress_ || !runInProgress_())
        return false;
    ShowStatus(RunInProgressMessage());
    return true;
}

void DataCommands::PrepareFileDialog(QFileDialog& dialog, const QString& folder)
{
    dialog.setDirectory(folder);
    dialog.setNameFilter(QStringLiteral("Fichiers de chimie (*.che)"));
    dialog.setDefaultSuffix(QStringLiteral("che"));
    dialog.selectFile(QString());
}

void DataCommands::Ouvrir1Click()
{
    if (RefusedDuringRun())
        return;
    QFileDialog& dialog = *openDialog1_;
    PrepareFileDialog(dialog, DataFolderPath());
    dialog.setWindowTitle(QStringLiteral("Ouverture d'un fichier de chimie"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString path = fileDialogRunner_(dialog);
    if (path.isEmpty())
        return;
    ReadAndOpen(path);
}

void DataCommands::OpenNamedFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    if (RefusedDuringRun())
        return;
    ReadAndOpen(path);
}

void DataCommands::ReadAndOpen(const QString& path)
{
    if (worker_)
        return;
    if (QFileInfo(path).size() > readOnWorkerAbove_) {
        ReadOnWorker(path);
        return;
    }
    const ChemistryFile::Contents contents = document_.ReadChemistryFile(path);
    ShowComment(contents);
    const MeasuredQuantity quantity = document_.Values().quantity;
    emit QuantityRead(quantity);
    if (contents.body.isEmpty())
        LogOpened(path);
    else
        FinishOpen(path, *MeasurementTextIo::ReadRows(contents.body, {}, MeasuredQuantities::FileCellFormat(quantity)));
}

void DataCommands::LogOpened(const QString& path)
{
    qCInfo(lcApp).noquote() << QStringLiteral("Fichier ouvert : %1 (%2 points)")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(record_.PointCount());
}

void DataCommands::LogSaved(const QString& path)
{
    qCInfo(lcApp).noquote() << QStringLiteral("Fichier enregistré : %1 (%2 points)")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(document_.HeldPointCount());
}

void DataCommands::ShowComment(const ChemistryFile::Contents& contents)
{
    // The file's comment is shown and offered in the dialog; it is saved only once the dialog
    // has been closed.
    const QString comment = contents.headerLines.value(1);
    commentDialog_->ShowValues(comment, document_.Values());
    emit CommentChanged(comment);
    ShowStatus(comment);
}

void DataCommands::ReadOnWorker(const QString& path)
{
    // Shared with the worker, which may outlive neither this object nor the dialog.
    struct Job {
        ChemistryFile::Contents contents;
        bool hasBody = false;
        std::optional<MeasurementTextIo::TableRows> rows;
        std::exception_ptr error;
        std::atomic<int> permille{0};
    };
    auto job = std::make_shared<Job>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancelReading_ = cancel;
    worker_ = QThread::create([job, cancel, path] {
        try {
            job->contents = ChemistryFile::Read(path);
            job->hasBody = !job->contents.body.isEmpty();
            const MeasuredQuantity quantity = MeasuredQuantities::FromHeaderLine(job->contents.headerLines.value(12));
            job->rows = MeasurementTextIo::ReadRows(
                job->contents.body,
                [&job, &cancel](double done) {
                    job->permille = static_cast<int>(done * 1000);
                    return !*cancel;
                },
                MeasuredQuantities::FileCellFormat(quantity));
            job->contents.body.clear();  // read: its memory can go
        } catch (...) {
            // Nothing leaves the worker: handed to the window's thread, which reports it as an
            // open on it would.
            job->error = std::current_exception();
        }
    });

    auto* progress = new QProgressDialog(QStringLiteral("Lecture de %1").arg(QFileInfo(path).fileName()),
                                         QStringLiteral("Annuler"), 0, 1000, window_);
    progress->setObjectName(QStringLiteral("LectureFichier"));
    progress->setWindowTitle(QStringLiteral("Quorin"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    auto* poll = new QTimer(progress);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, progress, Guarded([progress, job] { progress->setValue(job->permille); }));
    // The button and Escape.
    connect(progress, &QProgressDialog::canceled, progress, [cancel] { *cancel = true; });
    connect(progress, &QDialog::rejected, progress, [cancel] { *cancel = true; });
    connect(worker_, &QThread::finished, this, Guarded([this, job, cancel, progress, path] {
        worker_->deleteLater();
        worker_ = nullptr;
        progress->hide();
        progress->deleteLater();
        if (job->error)
            std::rethrow_exception(job->error);
        // Cancelled: nothing changes, the header values included.
        if (*cancel || !job->rows) {
            qCInfo(lcApp).noquote() << QStringLiteral("Lecture de %1 annulée").arg(QDir::toNativeSeparators(path));
            return;
        }
        document_.TakeHeader(job->contents);
        ShowComment(job->contents);
        emit QuantityRead(document_.Values().quantity);
        if (job->hasBody)
            FinishOpen(path, std::move(*job->rows));
        else
            LogOpened(path);
    }));
    worker_->start();
    poll->start();
    progress->show();
}

void DataCommands::FinishOpen(const QString& path, MeasurementTextIo::TableRows rows)
{
    const MeasurementTextIo::FillResult filled = MeasurementTextIo::ApplyRows(record_, std::move(rows));
    if (filled.unreadable)
        ShowStatus(MeasurementTextIo::UnreadableNumberMessage());
    // The table is already replaced: the held copy and the count must follow it even when the
    // chart cannot draw a cell, and the error is reported afterwards.
    std::exception_ptr chartError;
    try {
        record_.RebuildChart();
    } catch (const std::exception&) {
        chartError = std::current_exception();
    }
    record_.SetChartTitles(false);
    document_.TakeMeasurementText(record_);
    emit HeldCopyTaken();
    ShowPointCount(record_.PointCount());
    LogOpened(path);
    if (chartError)
        std::rethrow_exception(chartError);
}

void DataCommands::Enregistrer1Click()
{
    if (record_.PointCount() == 0)
        return;
    LogSaved(document_.SaveNumbered(DataFolderPath(), document_.BuildFileText()));
    emit HeldCopySaved();
}

void DataCommands::Enregistrersous1Click()
{
    if (record_.PointCount() == 0)
        return;
    const QString fileText = document_.BuildFileText();
    QFileDialog& dialog = *saveDialog1_;
    PrepareFileDialog(dialog, DataFolderPath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The standard dialog asks before replacing an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QString path = fileDialogRunner_(dialog);
    if (path.isEmpty())
        return;
    ChemistryFile::Write(path, fileText);
    LogSaved(path);
    emit HeldCopySaved();
}

void DataCommands::FinishRun()
{
    if (record_.PointCount() == 0)
        return;
    document_.TakeMeasurementText(record_);
    emit HeldCopyTaken();
    LogSaved(document_.SaveNumbered(DataFolderPath(), document_.BuildFileText()));
    emit HeldCopySaved();
}

void DataCommands::Ajouteruncommentaire1Click()
{
    modalRunner_(*commentDialog_);
    // However the dialog was closed, its fields are the values from now on; the dialog has no
    // say on what the points measure.
    const MeasuredQuantity quantity = document_.Values().quantity;
    document_.Values() = commentDialog_->FieldValues();
    document_.Values().quantity = quantity;
    document_.Values().quantitiesConfirmed = true;
    emit CommentChanged(document_.Values().currentComment);
}

void DataCommands::Copier1Click()
{
    ClipboardPut::PutOnClipboard(ClipboardText::BuildClipboardTextComma(record_));
}

void DataCommands::Copiersparateurdcimal2Click()
{
    ClipboardPut::PutOnClipboard(ClipboardText::BuildClipboardTextPoint(record_));
}

void DataCommands::Eliminerdespoints1Click()
{
    if (RefusedDuringRun())
        return;
    RestoreAllPoints();
    ReducePoints();
}

void DataCommands::Rtablirtouslespoints1Click()
{
    if (RefusedDuringRun())
        return;
    RestoreAllPoints();
}

void DataCommands::RestoreAllPoints()
{
    // Without a held copy there is nothing to restore from, and refilling from it would lose
    // the points the table has.
    if (record_.PointCount() == 0 || document_.MeasurementText().isEmpty()) {
        if (record_.PointCount() == 0)
            record_.ClearChart();
        ShowStatus(ErrorMessage());
        return;
    }
    const MeasurementTextIo::FillResult filled = MeasurementTextIo::FillTableFromText(record_, document_.MeasurementText());
    if (filled.unreadable)
        ShowStatus(MeasurementTextIo::UnreadableNumberMessage());
    record_.RebuildChart();
    ShowPointCount(record_.PointCount());
}

void DataCommands::ReducePoints()
{
    if (record_.PointCount() == 0) {
        record_.ClearChart();
        ShowStatus(ErrorMessage());
        return;
    }
    modalRunner_(*reductionDialog_);
    const PointReduction::Result result = PointReduction::Reduce(record_, reductionDialog_->RequestedPoints());
    switch (result.outcome) {
    case PointReduction::Outcome::NotAsked:
    case PointReduction::Outcome::NoPlan:
        return;
    case PointReduction::Outcome::TooMany:
        ShowStatus(ErrorMessage());
        return;
    case PointReduction::Outcome::Reduced:
        break;
    }
    ShowPointCount(result.lineCount);
    MeasurementTextIo::FillTableFromText(record_, result.text);
    record_.RebuildChart();
}

void DataCommands::ShowStatus(const QString& text)
{
    emit StatusChanged(text);
}

void DataCommands::ShowPointCount(int count)
{
    emit PointCountChanged(count);
}
