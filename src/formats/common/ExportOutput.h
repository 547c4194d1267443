#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// The bytes of one export file. Writers append small pieces; they are gathered in memory and
// handed to the device in large blocks, so a 100,000-record export makes few system calls.
// A failed device write is remembered (hasFailed) and later writes are dropped.
class ExportOutput {
public:
    explicit ExportOutput(QIODevice &device);
    ~ExportOutput();
    ExportOutput(const ExportOutput &) = delete;
    ExportOutput &operator=(const ExportOutput &) = delete;

    ExportOutput &operator<<(QByteArrayView bytes);
    ExportOutput &operator<<(char c);
    ExportOutput &operator<<(int number);
    // Hands everything gathered to the device; false once any write has failed.
    bool flush();
    bool hasFailed() const { return m_failed; }

private:
    void append(const char *bytes, qsizetype n);

    QIODevice &m_device;
    // One block, allocated once; the first m_used bytes are waiting for the device.
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_failed = false;
};
