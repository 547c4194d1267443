#pragma once

#include "platform/WriteBehind.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

class QIODevice;

// The bytes of one export file. Writers append small pieces; they are gathered in memory and
// handed to the device in large blocks, so a 100,000-record export makes few system calls.
// A failed device write is remembered (hasFailed) and later writes are dropped. A file's
// blocks go on to the disk as it grows (WriteBehind). Without a device the bytes are gathered
// in memory until taken (takeWritten): a part of an export made on another thread.
class ExportOutput {
public:
    explicit ExportOutput(QIODevice &device);
    ExportOutput();
    ~ExportOutput();
    ExportOutput(const ExportOutput &) = delete;
    ExportOutput &operator=(const ExportOutput &) = delete;

    // Pieces that fit the block are copied here, inline: writers hand over millions of a few
    // bytes each.
    ExportOutput &operator<<(QByteArrayView bytes)
    {
        const qsizetype n = bytes.size();
        if (n > 0 && n <= kBlockSize - m_used) {
            std::memcpy(m_data + m_used, bytes.data(), size_t(n));
            m_used += n;
        } else {
            append(bytes.data(), n);
        }
        return *this;
    }
    ExportOutput &operator<<(char c)
    {
        if (m_used < kBlockSize)
            m_data[m_used++] = c;
        else
            append(&c, 1);
        return *this;
    }
    ExportOutput &operator<<(int number);
    // Hands everything gathered to the device; false once any write has failed.
    bool flush();
    bool hasFailed() const { return m_failed; }
    // In memory: the bytes written since the last take.
    qsizetype size() const { return m_memory.size() + m_used; }
    // In memory: the bytes written since the last take. What comes next goes into `reuse`,
    // emptied: memory of its own that has already been used costs no faults.
    QByteArray takeWritten(QByteArray reuse = QByteArray());

private:
    void append(const char *bytes, qsizetype n);
    void write(const char *bytes, qsizetype n);

    static constexpr qsizetype kBlockSize = 256 * 1024;

    QIODevice *m_device = nullptr;
    WriteBehind m_writeBehind;
    QByteArray m_memory;
    // One block, allocated once; the first m_used bytes are waiting for the device.
    QByteArray m_buffer;
    char *m_data;
    qsizetype m_used = 0;
    bool m_failed = false;
};
