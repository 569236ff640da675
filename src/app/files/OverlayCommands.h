#pragma once

#include "data/ReferenceCurve.h"
#include "support/FileDialogRunner.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class MeasurementRecord;
class QAbstractSeries;
class QAction;
class QFileDialog;
class QLineSeries;
class QThread;
class QTimer;
class RecordChart;

// "&Superposer une courbe..." and "Retirer les courbes superposées": chemistry files drawn on
// Chart1 beside the record for comparison, each in its own colour and named in the legend.
// They are read apart from the record and the file last opened, so saving, copying, sending,
// reducing and the analysis never see them. They show in volume mode, under the record's
// curve, thinned for the view like it; during a run they are put aside, and come back after.
// While they show, the chart's legend is a list inside the plot.
class OverlayCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    using FolderProvider = std::function<QString()>;
    // Shows a configured file dialog and returns the chosen paths, empty when cancelled.
    using FileDialogRunner = FilesDialogRunner;

    // Files larger than this together are read on a worker, so that the window keeps answering.
    static constexpr qint64 kReadOnWorkerAbove = qint64(2) * 1024 * 1024;

    OverlayCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, QObject* parent = nullptr);
    // Waits for a reading in progress.
    ~OverlayCommands() override;

    void SetDataFolder(FolderProvider folder) { dataFolder_ = std::move(folder); }
    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    void SetReadOnWorkerAbove(qint64 bytes) { readOnWorkerAbove_ = bytes; }
    // Enabled only while there is something to remove.
    void SetRemoveAction(QAction* action);

    const QList<ReferenceCurve::Curve>& Curves() const { return curves_; }
    // One series per curve, in the order the curves were added.
    QList<QLineSeries*> Series() const;
    // The record's name in the legend while curves are laid over it: "Mesures".
    static QString RecordName();
    // On the chart now (volume mode, at least one curve).
    bool Shown() const;
    bool Reading() const { return worker_ != nullptr; }

public slots:
    // "&Superposer une courbe...": asks for one or more chemistry files and lays them over.
    void SuperposerClick();
    // Reads the files and lays those that read over the record; the others are refused
    // together, each with its reason, in one error box.
    void AddFiles(const QStringList& paths);
    // "Retirer les courbes superposées".
    void RetirerClick();

private:
    struct Batch;
    void Take(const Batch& read);
    // Puts the series on the chart or aside, as the chart's mode and the curves ask.
    void Present();
    // The overlays go under every series already on the chart, the record's above all.
    void PutUnderOtherSeries();
    void Redraw();
    // With curves laid over, the legend lists them inside the plot, in the corner where it hides
    // the least of them: at the window's designed size a row above the plot has no room for
    // their names.
    void PlaceLegend();
    QRectF LegendCorner(const QRectF& inside, const QSizeF& size) const;
    bool Rising() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool IsOverlay(const QAbstractSeries* series) const;

    MeasurementRecord& record_;
    RecordChart& chart_;
    QPointer<RecordChart> chartAlive_;
    StatusSetter status_;
    FolderProvider dataFolder_;
    FileDialogRunner fileDialogRunner_;
    QPointer<QAction> removeAction_;
    qint64 readOnWorkerAbove_ = kReadOnWorkerAbove;
    QThread* worker_ = nullptr;
    QTimer* legendTimer_;
    QFont attachedLegendFont_;
    QList<ReferenceCurve::Curve> curves_;
    // Owned by the chart while on it, by this object while aside.
    QList<QPointer<QLineSeries>> series_;
};
