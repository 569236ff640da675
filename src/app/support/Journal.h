#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class QFile;
class QMessageLogContext;

// The program's journal, which a teacher can send after a lesson: every message of the
// program's logging categories (quorin.app, .board, .data, .net) and Qt's own warnings, one
// timestamped line each, in a file of the user's data folder. It stays small: a line that would
// take the file past its limit first turns it into the previous file (dropping the one before),
// so there are at most two files of at most the limit each. Messages come from every thread
// (connections, measurement): writing and the change of file happen under one lock.
class Journal {
public:
    static constexpr qint64 kMaxFileBytes = qint64(1024) * 1024;

    // The user's data folder for the program (the organisation and program names must be set).
    static QString DefaultFolder();
    static QString FileName();          // "journal.txt", the file being written
    static QString PreviousFileName();  // "journal.1.txt"

    // Appends to folder/journal.txt, creating the folder, and becomes the message handler until
    // it is destroyed. Only one journal at a time. When the file cannot be opened, messages go
    // where they went before and FilePath() is empty.
    explicit Journal(const QString& folder, qint64 maxFileBytes = kMaxFileBytes);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    QString FilePath() const;
    // The file of the journal in use; empty when there is none (as in tests that install none).
    static QString CurrentFilePath();

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    // With the lock held.
    void Write(QtMsgType type, const QMessageLogContext& context, const QString& message);
    void StartNextFile();

    QString folder_;
    qint64 maxFileBytes_;
    std::unique_ptr<QFile> file_;
    qint64 size_ = 0;
    QtMessageHandler previous_ = nullptr;
};
