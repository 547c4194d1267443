#include "WriteLimits.h"

#include <csignal>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// The capabilities that let root read and write past file permissions.
constexpr int kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

void setSoftFileSizeLimit(rlim_t bytes)
{
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

// The first 32 capabilities of this thread: read, or set with the effective set replaced.
quint32 effectiveCapabilities(const quint32 *replacement)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    syscall(SYS_capget, &header, data);
    const quint32 previous = data[0].effective;
    if (replacement) {
        data[0].effective = *replacement;
        syscall(SYS_capset, &header, data);
    }
    return previous;
}
}

std::function<void()> WriteLimits::fileSizeLimit(qint64 bytes)
{
    return [bytes] { setSoftFileSizeLimit(rlim_t(bytes)); };
}

std::function<void()> WriteLimits::honourPermissions()
{
    // Dropped from the bounding set, they are gone for the program the child runs as well.
    return [] {
        for (int capability : kOverrides)
            prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
    };
}

WriteLimits::FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = limit.rlim_cur;
    setSoftFileSizeLimit(rlim_t(bytes));
}

WriteLimits::FileSizeLimit::~FileSizeLimit()
{
    setSoftFileSizeLimit(rlim_t(m_previous));
}

WriteLimits::HonourPermissions::HonourPermissions() : m_effective(effectiveCapabilities(nullptr))
{
    quint32 reduced = m_effective;
    for (int capability : kOverrides)
        reduced &= ~(1u << capability);
    effectiveCapabilities(&reduced);
}

WriteLimits::HonourPermissions::~HonourPermissions()
{
    effectiveCapabilities(&m_effective);
}
