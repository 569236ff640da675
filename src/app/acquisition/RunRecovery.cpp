#include "acquisition/RunRecovery.h"

#include "data/FileError.h"
#include "data/RecoveryWriter.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/QuestionBox.h"
#include "text/ExceptionText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

namespace {

std::unique_ptr<QLockFile> LockBeside(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Never taken over for its age: only the death of the copy that holds it frees it.
    lock->setStaleLockTime(0);
    return lock;
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

}  // namespace

RunRecovery::RunRecovery(const QString& folder, std::function<QString()> asideFolder, QObject* parent)
    : QObject(parent)
    , folder_(folder)
    , asideFolder_(std::move(asideFolder))
    , question_([](const QString& text) {
        return QuestionBox::AskOuiNon(QApplication::activeWindow(), text, QuestionBox::Default::Oui);
    })
    , message_([](const QString& text) { ErrorBox::Show(text); })
    , writer_(std::make_unique<RecoveryWriter>())
{
}

RunRecovery::~RunRecovery()
{
    // Everything queued is done before the locks go with the members.
    writer_.reset();
}

QString RunRecovery::FilePrefix()
{
    return QStringLiteral("mesure-en-cours-");
}

QString RunRecovery::QuestionText(const QDateTime& when, int points)
{
    return QStringLiteral("Une mesure interrompue le %1 à %2 a été retrouvée (%3 points). La récupérer ?")
        .arg(when.toString(QStringLiteral("d/M/yyyy")), when.toString(QStringLiteral("HH:mm")))
        .arg(points);
}

QString RunRecovery::RunFilePath() const
{
    return run_.path;
}

QStringList RunRecovery::KeptFiles() const
{
    QStringList files;
    if (!heldCopy_.path.isEmpty())
        files << heldCopy_.path;
    for (const Kept& kept : left_)
        files << kept.path;
    return files;
}

void RunRecovery::BeginRun(const QDateTime& started)
{
    if (!run_.path.isEmpty())
        left_.push_back(std::move(run_));
    run_ = {};
    samples_ = 0;
    // One file per run and per copy of the program: the process number and the moment.
    const QString path = QDir(folder_).filePath(
        FilePrefix() + QStringLiteral("%1-%2.txt")
                           .arg(QCoreApplication::applicationPid())
                           .arg(started.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))));
    auto lock = LockBeside(path);
    if (!QDir().mkpath(folder_) || !lock->tryLock(0)) {
        qCWarning(lcApp).noquote() << QStringLiteral("Copie de secours de la mesure impossible : « %1 »").arg(Native(path));
        return;
    }
    run_ = {path, std::move(lock)};
    writer_->Open(path);
    writer_->Append(RecoveryFile::Header(started), true);
    if (const MeasuredQuantity quantity = quantity_ ? quantity_() : MeasuredQuantity::PH;
        MeasuredQuantities::IsConductivity(quantity))
        writer_->Append(RecoveryFile::QuantityLine(quantity), true);
}

void RunRecovery::Typed(int number, std::int64_t ms, double volumeMl, double value)
{
    if (run_.path.isEmpty())
        return;
    writer_->Append(RecoveryFile::TypedLine(number, ms, volumeMl, value), true);
    LogWriterFailure();
}

void RunRecovery::TypedCount(int count)
{
    if (run_.path.isEmpty())
        return;
    writer_->Append(RecoveryFile::TypedCountLine(count), true);
    LogWriterFailure();
}

void RunRecovery::Sample(std::int64_t endMs, double pH)
{
    if (run_.path.isEmpty())
        return;
    writer_->Append(RecoveryFile::SampleLine(++samples_, endMs, pH), true);
    LogWriterFailure();
}

void RunRecovery::Press(std::int64_t ms)
{
    if (!run_.path.isEmpty())
        writer_->Append(RecoveryFile::PressLine(ms));
}

void RunRecovery::EndRun(bool saved)
{
    if (run_.path.isEmpty())
        return;
    writer_->Close();
    if (saved) {
        Drop(run_);
    } else {
        if (!heldCopy_.path.isEmpty())
            left_.push_back(std::move(heldCopy_));
        qCInfo(lcApp).noquote() << QStringLiteral("Mesure non enregistrée, gardée dans « %1 »").arg(Native(run_.path));
        heldCopy_ = std::move(run_);
    }
    run_ = {};
    LogWriterFailure();
}

void RunRecovery::HeldCopySaved()
{
    if (heldCopy_.path.isEmpty())
        return;
    qCInfo(lcApp).noquote() << QStringLiteral("Mesure enregistrée : « %1 » n'est plus gardée").arg(Native(heldCopy_.path));
    Drop(heldCopy_);
    heldCopy_ = {};
}

void RunRecovery::HeldCopyReplaced()
{
    if (!heldCopy_.path.isEmpty())
        left_.push_back(std::move(heldCopy_));
    heldCopy_ = {};
}

void RunRecovery::Drop(Kept& kept)
{
    writer_->Remove(kept.path, std::move(kept.lock));
    kept.path.clear();
}

void RunRecovery::LogWriterFailure()
{
    const QString failure = writer_->TakeFailure();
    if (!failure.isEmpty())
        qCWarning(lcApp).noquote() << QStringLiteral("Copie de secours de la mesure impossible : %1").arg(failure);
}

QString RunRecovery::MoveAside(Kept& kept, const QString& why)
{
    const QString aside = asideFolder_ ? asideFolder_() : QString();
    const QFileInfo info(kept.path);
    QString target;
    if (!aside.isEmpty() && QDir().mkpath(aside)) {
        target = QDir(aside).filePath(info.fileName());
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = QDir(aside).filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
    }
    if (!target.isEmpty() && QFile::rename(kept.path, target)) {
        qCInfo(lcApp).noquote() << QStringLiteral("Mesure interrompue mise de côté (%1) : « %2 »").arg(why, Native(target));
    } else {
        target.clear();
        // Left where it is, so it is offered again at the next start: nothing is lost.
        const QString text = QStringLiteral("La mesure interrompue « %1 » n'a pas pu être mise de côté dans « %2 ».")
                                 .arg(Native(kept.path), Native(aside));
        qCWarning(lcApp).noquote() << text;
        message_(text);
    }
    kept.lock.reset();
    kept.path.clear();
    return target;
}

void RunRecovery::OfferLeftRuns()
{
    struct Found {
        Kept kept;
        RecoveryFile::Contents contents;
    };
    std::vector<Found> found;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({FilePrefix() + QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QFileInfo& info : files) {
        Kept kept{info.absoluteFilePath(), LockBeside(info.absoluteFilePath())};
        // Held: a copy of the program still running writes it, or keeps it unsaved.
        if (!kept.lock->tryLock(0))
            continue;
        try {
            RecoveryFile::Contents contents = RecoveryFile::Read(kept.path);
            if (contents.PointCount() == 0) {
                MoveAside(kept, QStringLiteral("aucun échantillon complet"));
                continue;
            }
            qCInfo(lcApp).noquote() << QStringLiteral("Mesure interrompue retrouvée : « %1 » (%2 points%3)")
                                           .arg(Native(kept.path))
                                           .arg(contents.PointCount())
                                           .arg(contents.damaged ? QStringLiteral(", fin abîmée") : QString());
            found.push_back({std::move(kept), std::move(contents)});
        } catch (const std::exception& error) {
            const QString reason = ExceptionText(error);
            const QString path = kept.path;
            const QString target = MoveAside(kept, reason);
            if (!target.isEmpty())
                message_(QStringLiteral("La mesure interrompue « %1 » ne peut pas être lue (%2). Le fichier a été mis "
                                        "de côté dans « %3 ».")
                             .arg(Native(path), reason, Native(QFileInfo(target).absolutePath())));
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.contents.LastSampleTime() > b.contents.LastSampleTime();
    });
    for (Found& f : found) {
        if (!question_(QuestionText(f.contents.LastSampleTime(), f.contents.PointCount()))) {
            MoveAside(f.kept, QStringLiteral("refusée"));
            continue;
        }
        const Outcome outcome = recover_ ? recover_(f.contents) : Outcome::SaveFailed;
        switch (outcome) {
        case Outcome::Saved:
            Drop(f.kept);
            break;
        case Outcome::NothingKept:
            // No press: nothing to save, but the samples are not thrown away.
            MoveAside(f.kept, QStringLiteral("aucun volume validé"));
            break;
        case Outcome::SaveFailed:
            HeldCopyReplaced();
            heldCopy_ = std::move(f.kept);
            break;
        }
    }
}
