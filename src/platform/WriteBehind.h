#pragma once

#include <QtGlobal>

class QFileDevice;
class QIODevice;
class QString;

// Has the kernel start writing a file to the disk while the file is still being written, so
// that the flush that makes it durable at its end waits for the last few megabytes only, not
// for the whole file (a 100 MB backup waited over 0.1 s). It only starts writes: durability
// is still the final flush's, and a failure here changes nothing.
class WriteBehind {
public:
    // Does nothing for a device that is not a file.
    explicit WriteBehind(QIODevice &device);

    // Starts writing out what has reached the file since the last start, once that is a step.
    void advance();
    // Starts writing out all that has reached the file at `path` so far, whoever wrote it (the
    // address book's file, which SQLite writes through a descriptor of its own).
    static void startAll(const QString &path);

private:
    static constexpr qint64 kStep = 4 * 1024 * 1024;

    QFileDevice *m_file;
    qint64 m_started = 0;
};
