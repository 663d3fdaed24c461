// The module's one allocation seam.
//
// Every block the module allocates, for itself or for the host, comes from
// memAlloc / memAllocZero / memNew and goes back through memFree / memDelete.
// A failed allocation returns null; nothing throws. Tests make the k-th
// allocation from now fail with memFailAt and count live blocks to find leaks.
#ifndef CBQ_HOST_MEMORY_H
#define CBQ_HOST_MEMORY_H

#include <stddef.h>

#include <new>
#include <utility>

void *memAlloc(size_t size);      // uninitialised block, or null
void *memAllocZero(size_t size);  // zero-filled block, or null
void memFree(void *block);        // null is allowed

// Constructs a T in a new block; null when the block can't be allocated.
template <class T, class... Args>
T *memNew(Args &&...args) {
    void *block = memAlloc(sizeof(T));
    return block == nullptr ? nullptr : new (block) T(std::forward<Args>(args)...);
}

// Destroys and frees an object made by memNew; null is allowed.
template <class T>
void memDelete(T *object) {
    if (object == nullptr)
        return;
    object->~T();
    memFree(object);
}

// Fault injection for tests. memFailAt(k): the k-th allocation from now
// (k = 1: the next one) fails; with `andAfter` every later one fails too.
// memFailAt(0) switches injection off.
void memFailAt(long k, bool andAfter = false);
long memAllocationCount();  // allocations attempted since the module loaded
long memLiveBlocks();       // blocks allocated and not yet freed
size_t memLastBlockSize();   // the size asked for by the last allocation that succeeded

#endif  // CBQ_HOST_MEMORY_H
