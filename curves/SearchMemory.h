#pragma once
// Keeps the memory the double-curve search frees for its next call.
//
// A search allocates and frees some megabytes in blocks of hundreds of
// kilobytes (the search mesh, its index, the segments). With glibc's defaults
// such blocks are mapped afresh on each call and handed back to the kernel on
// free, so every call faults all their pages in again.
// NOTE: at 48 x 48 patches, corrugations, t = 0.05 (no curve), a search faulted
// in about 1,700 pages and took 13.2 ms on both cores, 4.9 ms with its memory
// kept; at t = 0.4, 22.0 ms and 9.7 ms.
//
// Process-wide: call it once, at the start of a program that searches
// repeatedly. Without glibc it does nothing.
void keepSearchMemory();
