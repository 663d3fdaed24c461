#include "host/memory.h"

#include <limits.h>
#include <stdlib.h>

namespace {

long attempts = 0;
long liveBlocks = 0;
long failAt = 0;        // attempt number that fails; 0: none
bool failAfter = false; // every attempt from failAt on fails
size_t lastSize = 0;    // of the last block handed out

bool injectFailure() {
    ++attempts;
    if (failAt == 0)
        return false;
    return attempts == failAt || (failAfter && attempts > failAt);
}

}  // namespace

void *memAlloc(size_t size) {
    if (injectFailure())
        return nullptr;
    void *block = malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        ++liveBlocks;
        lastSize = size;
    }
    return block;
}

void *memAllocZero(size_t size) {
    if (injectFailure())
        return nullptr;
    void *block = calloc(1, size == 0 ? 1 : size);
    if (block != nullptr) {
        ++liveBlocks;
        lastSize = size;
    }
    return block;
}

void memFree(void *block) {
    if (block == nullptr)
        return;
    --liveBlocks;
    free(block);
}

void memFailAt(long k, bool andAfter) {
    // A k beyond any reachable attempt never fails (and must not overflow).
    failAt = k <= 0 ? 0 : k > LONG_MAX - attempts ? LONG_MAX : attempts + k;
    failAfter = andAfter;
}

long memAllocationCount() { return attempts; }
long memLiveBlocks() { return liveBlocks; }
size_t memLastBlockSize() { return lastSize; }
