#pragma once

#include "data/ChemistryDocument.h"
#include "data/MeasurementTextIo.h"
#include "support/FileDialogRunner.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class MeasurementRecord;
class QDialog;
class QFileDialog;
class QThread;
class QWidget;
class TFDgCommentaire;
class TFDialogRedPoints;

// The measurement-data commands of the main window: open and save chemistry files, the comment
// dialog, the two clipboard copies, the point reduction and its restore, and the save at the end
// of a run. Owns the held copy and header values (ChemistryDocument), the two file dialogs and
// the comment and reduction dialogs. Failures of files and number texts are thrown to the
// application's error box; the short ones, the point count and the comment are said through
// its signals.
class DataCommands : public QObject {
    Q_OBJECT

public:
    // Shows a modal dialog until it closes.
    using ModalRunner = std::function<void(QDialog&)>;

    // `window` parents the dialogs.
    DataCommands(QWidget* window, MeasurementRecord& record, QObject* parent = nullptr);
    // Stops a reading in progress and waits for its worker.
    ~DataCommands() override;

    // A file larger than this (about 110 000 points) is read on a worker behind a progress
    // dialog that can cancel it, so that the window keeps answering; the table is filled on
    // the window's thread once it is read.
    static constexpr qint64 kReadOnWorkerAbove = qint64(2) * 1024 * 1024;
    void SetReadOnWorkerAbove(qint64 bytes) { readOnWorkerAbove_ = bytes; }
    // A file is being read on the worker.
    bool Reading() const { return worker_ != nullptr; }

    // While it answers true, opening, reducing and restoring are refused.
    void SetRunInProgress(std::function<bool()> runInProgress) { runInProgress_ = std::move(runInProgress); }
    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
    // Base of the data folder used when ProgramDir's cannot be written (the documents folder
    // when empty).
    void SetFallbackFolderBase(const QString& base) { fallbackBase_ = base; }
    const QString& FallbackFolderBase() const { return fallbackBase_; }

    ChemistryDocument& Document() { return document_; }
    TFDgCommentaire& CommentDialog() { return *commentDialog_; }
    TFDialogRedPoints& ReductionDialog() { return *reductionDialog_; }
    QFileDialog& OpenDialog1() { return *openDialog1_; }
    QFileDialog& SaveDialog1() { return *saveDialog1_; }

    // ProgramDir + "/Valeurs", or the fallback; created when missing.
    QString DataFolderPath() const;

    static QString RunInProgressMessage();  // "Impossible pendant une mesure"

public slots:
    // "&Ouvrir": asks for a chemistry file and opens it.
    void Ouvrir1Click();
    // "&Enregistrer": the file text under the next numbered name; nothing without points.
    void Enregistrer1Click();
    // "Enre&gistrer sous...": asks for a name (confirming a replacement), then writes.
    void Enregistrersous1Click();
    // The command-line file; an empty path or a missing file does nothing.
    void OpenNamedFile(const QString& path);
    // "&Ajouter un commentaire".
    void Ajouteruncommentaire1Click();
    // "&Copier, séparateur décimal = ,".
    void Copier1Click();
    // "Co&pier, séparateur décimal = .".
    void Copiersparateurdcimal2Click();
    // "&Diminuer le nombre de points": restore, then reduce.
    void Eliminerdespoints1Click();
    // "&Rétablir tous les points de mesure".
    void Rtablirtouslespoints1Click();
    // The end of a run, after the volume reconstruction: with points left, MeasurementText
    // takes the table and the file text is saved under the next numbered name.
    void FinishRun();

signals:
    // A short message for the status bar (the comment of a file opened, a refusal, "Erreur").
    void StatusChanged(const QString& text);
    // The points the table holds after an open, a reduction or a restore.
    void PointCountChanged(int count);
    // The comment of a file opened, or the one the comment dialog leaves.
    void CommentChanged(const QString& comment);
    // The held copy was written to a file (a numbered save, "Enregistrer sous...", the end of a run).
    void HeldCopySaved();
    // The held copy now holds other points (the end of a run, an open).
    void HeldCopyTaken();
    // A file read measures `quantity`: said before its points fill the table.
    void QuantityRead(MeasuredQuantity quantity);

private:
    bool RefusedDuringRun();
    void ReadAndOpen(const QString& path);
    void ReadOnWorker(const QString& path);
    // Shows the comment of a file read.
    void ShowComment(const ChemistryFile::Contents& contents);
    void FinishOpen(const QString& path, MeasurementTextIo::TableRows rows);
    // The journal's lines: the path and the points it holds.
    void LogOpened(const QString& path);
    void LogSaved(const QString& path);
    void RestoreAllPoints();
    void ReducePoints();
    void ShowStatus(const QString& text);
    void ShowPointCount(int count);
    void PrepareFileDialog(QFileDialog& dialog, const QString& folder);

    MeasurementRecord& record_;
    ChemistryDocument document_;
    TFDgCommentaire* commentDialog_;
    TFDialogRedPoints* reductionDialog_;
    QFileDialog* openDialog1_;
    QFileDialog* saveDialog1_;
    std::function<bool()> runInProgress_;
    FileDialogRunner fileDialogRunner_;
    ModalRunner modalRunner_;
    QString fallbackBase_;
    QWidget* window_;
    qint64 readOnWorkerAbove_ = kReadOnWorkerAbove;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancelReading_;
};
