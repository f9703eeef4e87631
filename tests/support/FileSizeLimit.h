// While it lives, writes beyond the given size of any file fail with EFBIG instead of
// raising SIGXFSZ: for a writer that is the same as a disk that runs full.
#pragma once

#include <csignal>
#include <sys/resource.h>

struct FileSizeLimit {
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;

    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};
