// The heap as the real back end sets it: large blocks in their own mappings, whatever was freed before.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/sdl/SdlBackend.h"

namespace platform::sdl {
namespace {

// Blocks in their own mappings now.
std::size_t SeparateBlocks() {
  return mallinfo2().hblks;
}

TEST(Heap, LargeBlocksHaveTheirOwnMappingsEvenAfterALargerOneWasFreed) {
  ConfigureHeap();
  // A large block freed: the C library on its own would now keep blocks up to its size in the heap.
  void* large = std::malloc(16u << 20);
  ASSERT_NE(large, nullptr);
  std::memset(large, 1, 4096);
  std::free(large);

  for (const std::size_t bytes :
       {std::size_t{kSeparateBlockBytes}, std::size_t{1} << 20, std::size_t{4} << 20}) {
    const std::size_t before = SeparateBlocks();
    void* block = std::malloc(bytes);
    ASSERT_NE(block, nullptr);
    std::memset(block, 2, bytes);
    EXPECT_EQ(SeparateBlocks(), before + 1) << bytes << " bytes";
    std::free(block);
    EXPECT_EQ(SeparateBlocks(), before) << bytes << " bytes: given back when freed";
  }
  // Small blocks stay in the heap.
  const std::size_t before = SeparateBlocks();
  void* small = std::malloc(kSeparateBlockBytes / 4);
  EXPECT_EQ(SeparateBlocks(), before);
  std::free(small);
}

}  // namespace
}  // namespace platform::sdl
