#include "audio/APIMemory.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(APIMemoryBlock, FreshBlockReadsAsZeroBytes)
{
    APIMemory memory;
    memory.SetMemSize(4096);
    memory.GAlloc();
    memory.GLock();
    ASSERT_NE(memory.MemHandle(), 0u);
    const auto* bytes = static_cast<const unsigned char*>(memory.MemPointer());
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](unsigned char b) { return b == 0; }));
    memory.GUnlock();
    memory.GFree();
}

TEST(APIMemoryBlock, SizeReadsBackWhetherOrNotAllocated)
{
    APIMemory memory;
    EXPECT_EQ(memory.MemSize(), 0);
    memory.SetMemSize(123);
    EXPECT_EQ(memory.MemSize(), 123);
    memory.GAlloc();
    EXPECT_EQ(memory.MemSize(), 123);
    memory.GFree();
}

TEST(APIMemoryBlock, EmptyBlockStillHasAHandle)
{
    APIMemory memory;
    memory.SetMemSize(0);
    memory.GAlloc();
    memory.GLock();
    EXPECT_NE(memory.MemHandle(), 0u);
    EXPECT_NE(memory.MemPointer(), nullptr);
    memory.GFree();
}

TEST(APIMemoryBlock, FreeClearsHandleAndPointerSoNothingReachesTheOldBlock)
{
    APIMemory memory;
    memory.SetMemSize(16);
    memory.GAlloc();
    memory.GLock();
    memory.GFree();
    EXPECT_EQ(memory.MemHandle(), 0u);
    EXPECT_EQ(memory.MemPointer(), nullptr);
    memory.GLock();
    EXPECT_EQ(memory.MemPointer(), nullptr);
    memory.GFree(); // a second free is harmless
}
