#pragma once
// Owner of one block of sample memory: the native and student samples as
// read from their files, and the recording buffer. The block is zero-filled
// when allocated; locking gives its address, unlocking does nothing. The
// holder frees it explicitly (destroying the object does not), guided by its
// own held flag, exactly as the callers expect of a platform memory block.
#include <cstddef>
#include <cstdint>

class APIMemory
{
public:
    APIMemory() = default;
    APIMemory(const APIMemory&) = delete;
    APIMemory& operator=(const APIMemory&) = delete;
    ~APIMemory();

    int32_t MemSize() const { return memSize; }
    void SetMemSize(int32_t size) { memSize = size; }
    uintptr_t MemHandle() const { return memHandle; }
    void SetMemHandle(uintptr_t handle) { memHandle = handle; }
    void* MemPointer() const { return memPointer; }
    void SetMemPointer(void* pointer) { memPointer = pointer; }

    // Allocates MemSize zero bytes; on failure MemHandle stays 0.
    void GAlloc();
    // MemPointer = the block's address (null when nothing is allocated).
    void GLock();
    void GUnlock();
    // Frees the block. MemHandle and MemPointer are cleared here so that a
    // second free or a late read cannot reach released memory.
    void GFree();

private:
    int32_t memSize = 0;
    uintptr_t memHandle = 0;
    void* memPointer = nullptr;
    void* block = nullptr;
};
