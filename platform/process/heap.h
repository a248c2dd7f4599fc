#pragma once
// How the program's heap hands freed memory back to the system.

namespace process {

// Keeps memory the program has freed (up to 64 MB) for its next allocations instead of handing it
// back to the system at once, and serves allocations under 32 MB from it. Left to itself the C
// library gives the top of the heap back as soon as 128 KB of it are free, and the PDF writer
// allocates and frees two 64 KB buffers for every page it compresses: each page of a print grew
// the heap and shrank it again, every time with a system call, fresh zeroed pages and (the program
// having several threads) the other processors' address translations flushed, which on a busy
// machine took longer than drawing the page. These are the largest values the C library moves to
// by itself once large blocks have been freed, set from the start.
void keepFreedHeap();

} // namespace process
