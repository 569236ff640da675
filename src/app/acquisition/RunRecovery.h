#pragma once

#include "data/RecoveryFile.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLockFile;
class RecoveryWriter;

// Keeps a run recoverable while it goes: every sample and press is appended to a file of its
// own in the user's state folder (beside the journal), forced to the disk once per sample,
// on the writer's thread. The file goes when the run's points are saved; it stays when the
// automatic save failed, until a save of those points succeeds. A file left by a crash, or by
// a program ended during its run, is offered at the next start.
//
// Each file has a lock beside it, held by the copy of the program that writes it for as long
// as the file may still be its own: another copy started meanwhile leaves it alone.
class RunRecovery : public QObject {
    Q_OBJECT

public:
    // How a left run taken back ended (MeasurementRun::Recovered).
    enum class Outcome { Saved, NothingKept, SaveFailed };
    using Question = std::function<bool(const QString&)>;
    using Message = std::function<void(const QString&)>;
    using Recover = std::function<Outcome(const RecoveryFile::Contents&)>;

    // Files go in `folder`; those not taken back go in the folder `asideFolder` gives.
    RunRecovery(const QString& folder, std::function<QString()> asideFolder, QObject* parent = nullptr);
    // Waits for the writer; the locks of kept files go, so that the next start offers them.
    ~RunRecovery() override;

    // The question and the message box (tests answer them), and what rebuilds a run.
    void SetQuestion(Question question) { question_ = std::move(question); }
    void SetMessage(Message message) { message_ = std::move(message); }
    void SetRecover(Recover recover) { recover_ = std::move(recover); }

    // What the values measure, written at the start of each file when not the pH.
    void SetQuantity(std::function<MeasuredQuantity()> quantity) { quantity_ = std::move(quantity); }

    // A run: its start, each sample (from 1, in order) and each press, on the run's clock.
    // A typed series is kept the same way: BeginRun, its points as they are typed (a number
    // already typed corrects that point; TypedCount after a removal), EndRun.
    void BeginRun(const QDateTime& started);
    void Typed(int number, std::int64_t ms, double volumeMl, double value);
    void TypedCount(int count);
    void Sample(std::int64_t endMs, double pH);
    void Press(std::int64_t ms);
    // The run ended; with `saved` false its points are not saved anywhere yet.
    void EndRun(bool saved);

    // The held copy of the points was saved to a file, or was replaced by other points.
    void HeldCopySaved();
    void HeldCopyReplaced();

    // At start: each file left by a run that did not end, newest first, is offered: Oui takes it
    // back, Non puts it in the aside folder. A file that cannot be read is put there with a
    // message; one whose run had not a whole sample yet is put there without a word.
    void OfferLeftRuns();

    // The file of the run under way; empty outside a run.
    QString RunFilePath() const;
    // Files this copy keeps until their points are saved.
    QStringList KeptFiles() const;
    RecoveryWriter& Writer() { return *writer_; }

    static QString FilePrefix();  // "mesure-en-cours-"
    // "Une mesure interrompue le d/M/yyyy à HH:mm a été retrouvée (N points). La récupérer ?"
    static QString QuestionText(const QDateTime& when, int points);

private:
    struct Kept {
        QString path;
        std::unique_ptr<QLockFile> lock;
    };
    void Drop(Kept& kept);
    // The path it was moved to; empty when it could not be moved (then said, and left in place).
    QString MoveAside(Kept& kept, const QString& why);
    void LogWriterFailure();

    QString folder_;
    std::function<QString()> asideFolder_;
    Question question_;
    Message message_;
    Recover recover_;
    std::function<MeasuredQuantity()> quantity_;
    std::unique_ptr<RecoveryWriter> writer_;
    Kept run_;
    int samples_ = 0;
    // The file whose points the held copy holds, unsaved.
    Kept heldCopy_;
    // Unsaved files whose points the held copy no longer holds: left for the next start.
    std::vector<Kept> left_;
};
