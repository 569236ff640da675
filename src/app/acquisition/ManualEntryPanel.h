#pragma once

#include "acquisition/RunRecovery.h"
#include "data/MeasuredQuantity.h"
#include "data/RecoveryFile.h"
#include "data/TypedMeasurements.h"

#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QList>

#include <functional>

class MeasurementRecord;
class QLabel;
class QLineEdit;
class QPushButton;

// "Saisie manuelle": a small window where the student types the volume poured and the value
// read on a bench meter. The focus starts in the volume field; Enter adds the point and
// proposes the next volume, selected, so that typing replaces it. The first point empties the
// record as a run does; closing the window (Escape too) saves the points as the end of a run
// does. Every point typed is said through PointTyped as it comes, for the recovery file.
class ManualEntryPanel : public QDialog {
    Q_OBJECT

public:
    struct Hooks {
        // What the values measure.
        std::function<MeasuredQuantity()> quantity;
        // Why typing cannot start now (a run, a calibration), or an empty text.
        std::function<QString()> refusal;
        // The end of a series with points: the held copy and the next numbered save; throws
        // on failure.
        std::function<void()> finish;
    };

    ManualEntryPanel(MeasurementRecord& record, Hooks hooks, QWidget* parent = nullptr);

    // Shows the panel, or says in the status why it cannot.
    void Open();
    bool Typing() const { return isVisible(); }
    // The points typed, in typing order.
    const QList<TypedMeasurements::Point>& Typed() const { return typed_; }
    // Rebuilds a typed series that a crash interrupted, and saves it.
    RunRecovery::Outcome Recover(const RecoveryFile::Contents& left);

    QLineEdit* VolumeField() const { return volume_; }
    QLineEdit* ValueField() const { return value_; }
    QLabel* Message() const { return message_; }

public slots:
    // Adds the fields' point, or replaces the last point when correcting it.
    void Add();
    // Puts the last point back in the fields; the next Add replaces it.
    void CorrectLast();
    void RemoveLast();

signals:
    void StatusChanged(const QString& text);
    void PointCountChanged(int count);
    void TypingChanged(bool typing);
    // For the recovery file: the series' start, each point as typed (a number already typed
    // is a correction), the count left after a removal, and the end (`saved` false: the
    // points are not in a file yet).
    void SeriesStarted(const QDateTime& started);
    void PointTyped(int number, qint64 ms, double volumeMl, double value);
    void PointsRemoved(int count);
    void SeriesEnded(bool saved);

protected:
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    void OnReturn(bool inVolume);
    void ShowRecord();
    void ProposeNext();
    void Refuse(TypedMeasurements::Field field, const QString& text);
    void EndSeries();
    void UpdateCaptions();

    MeasurementRecord& record_;
    Hooks hooks_;
    QList<TypedMeasurements::Point> typed_;
    bool started_ = false;
    bool correcting_ = false;
    bool placed_ = false;
    QElapsedTimer sinceStart_;
    QLabel* valueLabel_;
    QLineEdit* volume_;
    QLineEdit* value_;
    QLabel* message_;
    QLabel* count_;
    QPushButton* correct_;
    QPushButton* remove_;
};
