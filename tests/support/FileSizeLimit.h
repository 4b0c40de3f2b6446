#pragma once
// A disk that runs out of room after a few bytes, for this process and the
// programs it starts: while a FileSizeLimit lives, a write that would take a
// regular file past the limit fails with EFBIG (its signal is ignored), as
// a write to a full disk fails with ENOSPC.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        applied = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Applied() const { return applied; }

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
    bool applied = false;
};
