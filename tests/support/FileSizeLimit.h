#pragma once

#include <QString>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

// For its lifetime, the process's writes past `bytes` in any file are refused, as a full disk
// refuses them (EFBIG rather than ENOSPC, through the same failing write); the signal that
// would end the process is ignored meanwhile. Unlike a full file system it needs no mount.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The system's text for the refusal, as a save reports it.
    static QString Reason() { return qt_error_string(EFBIG); }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};
