#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

// For its lifetime, the program's log messages (what the journal would write) are kept in
// memory instead, from every thread. One at a time.
class MessageLog {
public:
    MessageLog()
    {
        Active() = this;
        previous_ = qInstallMessageHandler(&Record);
    }
    ~MessageLog()
    {
        qInstallMessageHandler(previous_);
        std::lock_guard lock(Lock());
        Active() = nullptr;
    }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QStringList Lines() const
    {
        std::lock_guard lock(Lock());
        return lines_;
    }
    void Clear()
    {
        std::lock_guard lock(Lock());
        lines_.clear();
    }

private:
    static void Record(QtMsgType, const QMessageLogContext&, const QString& text)
    {
        std::lock_guard lock(Lock());
        if (Active())
            Active()->lines_ << text;
    }
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static MessageLog*& Active()
    {
        static MessageLog* active = nullptr;
        return active;
    }

    QtMessageHandler previous_ = nullptr;
    QStringList lines_;
};
