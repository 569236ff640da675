#include "support/Journal.h"

#include "support/StartupValues.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <atomic>
#include <mutex>

namespace {

// Guards `active` and everything the active journal does with its file.
std::mutex& JournalLock()
{
    static std::mutex lock;
    return lock;
}
Journal* active = nullptr;
// Set while this thread writes a line: a message that Qt raises meanwhile (a file that will not
// write) goes only to the previous handler instead of waiting for the lock this thread holds.
thread_local bool writing = false;
// The handler that was in place before the journal, which also gets warnings and worse.
std::atomic<QtMessageHandler> forwardTo{nullptr};

QLatin1String LevelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QLatin1String("debug");
    case QtInfoMsg:
        return QLatin1String("info");
    case QtWarningMsg:
        return QLatin1String("attention");
    case QtCriticalMsg:
        return QLatin1String("ERREUR");
    case QtFatalMsg:
        return QLatin1String("FATAL");
    }
    return QLatin1String("?");
}

QString CategoryName(const QMessageLogContext& context)
{
    const QString name = QString::fromLatin1(context.category ? context.category : "default");
    return name.startsWith(QLatin1String("quorin.")) ? name.mid(7) : name;
}

}  // namespace

QString Journal::DefaultFolder()
{
    return StartupValues::StateDir();
}

QString Journal::FileName()
{
    return QStringLiteral("journal.txt");
}

QString Journal::PreviousFileName()
{
    return QStringLiteral("journal.1.txt");
}

Journal::Journal(const QString& folder, qint64 maxFileBytes)
    : folder_(folder)
    , maxFileBytes_(maxFileBytes)
{
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        auto file = std::make_unique<QFile>(QDir(folder).filePath(FileName()));
        if (file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            size_ = file->size();
            file_ = std::move(file);
        }
    }
    if (!file_)
        return;
    std::lock_guard lock(JournalLock());
    active = this;
    previous_ = qInstallMessageHandler(&Journal::Handle);
    forwardTo = previous_;
}

Journal::~Journal()
{
    if (!file_)
        return;
    std::lock_guard lock(JournalLock());
    qInstallMessageHandler(previous_);
    forwardTo = nullptr;
    active = nullptr;
    file_->close();
}

QString Journal::FilePath() const
{
    return file_ ? file_->fileName() : QString();
}

QString Journal::CurrentFilePath()
{
    std::lock_guard lock(JournalLock());
    return active ? active->FilePath() : QString();
}

void Journal::Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!writing) {
        std::lock_guard lock(JournalLock());
        if (active) {
            writing = true;
            try {
                active->Write(type, context, message);
            } catch (...) {
                // Out of memory for one line: the journal misses it, the program goes on.
            }
            writing = false;
        }
    }
    // The terminal still shows what it showed without a journal, except the ordinary news.
    const QtMessageHandler previous = forwardTo.load();
    if (previous && type != QtInfoMsg && type != QtDebugMsg)
        previous(type, context, message);
}

void Journal::Write(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // One line per message, whatever the message holds.
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1String(" | "));
    QByteArray line = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QLatin1Char(' ')
                       + LevelWord(type) + QLatin1Char(' ') + CategoryName(context) + QLatin1String(" : ") + text)
                          .toUtf8();
    if (line.size() + 1 > maxFileBytes_)
        line.truncate(std::max<qsizetype>(0, maxFileBytes_ - 1));
    line += '\n';
    if (size_ > 0 && size_ + line.size() > maxFileBytes_)
        StartNextFile();
    if (!file_->isOpen())
        return;
    const qint64 written = file_->write(line);
    if (written > 0)
        size_ += written;
    // A line is on disk at once: the journal must hold what came just before a crash.
    file_->flush();
}

void Journal::StartNextFile()
{
    const QString path = file_->fileName();
    const QString previous = QDir(folder_).filePath(PreviousFileName());
    file_->close();
    QFile::remove(previous);
    // If the file cannot be renamed (held open elsewhere), it starts again empty: the limit holds.
    const bool kept = QFile::rename(path, previous);
    file_->setFileName(path);
    if (file_->open(QIODevice::WriteOnly | (kept ? QIODevice::Append : QIODevice::Truncate)))
        size_ = file_->size();
    else
        size_ = 0;
}
