#include "audio/APIMemory.h"

#include <cstdlib>

APIMemory::~APIMemory() = default; // the holder frees the block, not the owner object

void APIMemory::GAlloc()
{
    if (block != nullptr)
        return; // one block per object; the holder frees before it allocates again
    if (memSize < 0)
        return;
    // calloc(0) may return null; a block of no bytes still needs a handle.
    block = std::calloc(memSize > 0 ? static_cast<size_t>(memSize) : 1, 1);
    memHandle = reinterpret_cast<uintptr_t>(block);
}

void APIMemory::GLock()
{
    memPointer = block;
}

void APIMemory::GUnlock()
{
}

void APIMemory::GFree()
{
    std::free(block);
    block = nullptr;
    memHandle = 0;
    memPointer = nullptr;
}
