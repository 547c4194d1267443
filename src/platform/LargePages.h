#pragma once

#include <QtGlobal>

#include <sys/mman.h>

// A buffer of tens of megabytes (a whole file, its text) is mapped page by page as it is first
// written: 4 KB at a time, that is ten thousand stops in the kernel for 40 MB. Buffers that
// cover whole large pages (2 MB) may be backed by those instead.
namespace LargePages {

// Asks for large pages where the buffer covers whole ones; the kernel may ignore the advice.
inline void advise(void *data, qsizetype size)
{
#ifdef MADV_HUGEPAGE
    constexpr quintptr kLargePage = quintptr(2) << 20;
    const quintptr begin = (quintptr(data) + kLargePage - 1) & ~(kLargePage - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(kLargePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace LargePages
