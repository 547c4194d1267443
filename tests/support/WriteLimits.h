#pragma once

#include <QtGlobal>

#include <functional>

// Conditions under which writing fails, for tests of disk-full and read-only folders. Tests often
// run as root, who passes every permission check; these take that power away for their scope.
namespace WriteLimits {
// For QProcess::setChildProcessModifier: the child may write files up to `bytes` long (a write
// past that fails with EFBIG, SIGXFSZ being ignored) — a full disk without a mount.
std::function<void()> fileSizeLimit(qint64 bytes);
// For QProcess::setChildProcessModifier: the child and what it runs honour file permissions,
// even as root.
std::function<void()> honourPermissions();

// The same two within this process, while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    quint64 m_previous;
};

// Only for the calling thread (capabilities are per thread).
class HonourPermissions {
public:
    HonourPermissions();
    ~HonourPermissions();
    HonourPermissions(const HonourPermissions &) = delete;
    HonourPermissions &operator=(const HonourPermissions &) = delete;

private:
    quint32 m_effective;
};
}
