#include "platform/process/heap.h"

#include <cstdlib> // names the C library (__GLIBC__)
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace process {

void keepFreedHeap()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

} // namespace process
