#pragma once

#include <QtGlobal>

#include <cerrno>

#include <unistd.h>

// Up to `length` bytes from offset `at` of an open file, read without moving its position, so
// that several threads may read the same file at once; how many were read before its end or an
// error.
inline qint64 readAt(int fd, char *into, qint64 length, qint64 at)
{
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, into + got, size_t(length - got), off_t(at + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    return got;
}
