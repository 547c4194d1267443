#pragma once

#include <QtGlobal>

class QFileDevice;
class QIODevice;

// Has the kernel start writing a file to the disk while the file is still being written, so
// that the flush that makes it durable at its end waits for the last few megabytes only, not
// for the whole file (a 100 MB backup waited over 0.1 s). It only starts writes: durability
// is still the final flush's, and a failure here changes nothing.
class WriteBehind {
public:
    // Does nothing for a device that is not a file.
    explicit WriteBehind(QIODevice &device);
    // Stands for no file.
    WriteBehind() = default;

    // Starts writing out what has reached the file since the last start, once that is a step.
    void advance();

private:
    static constexpr qint64 kStep = 4 * 1024 * 1024;

    QFileDevice *m_file = nullptr;
    qint64 m_started = 0;
};
