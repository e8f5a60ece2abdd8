#include "curves/SearchMemory.h"

// Any C library header says whether it is glibc's.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keepSearchMemory()
{
#if defined(__GLIBC__)
    // Blocks below 32 MB come from the heap, and up to 64 MB freed at its top
    // stays there; setting either also stops glibc moving them on its own.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
