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

// What the heap does with large blocks once set; 0 when it gives each its own mapping, else the size
// that it kept in the heap.
std::size_t KeptInTheHeap() {
  ConfigureHeap();
  // A large block freed: the C library on its own would now keep blocks up to its size in the heap.
  void* large = std::malloc(16u << 20);
  if (large == nullptr) {
    return 1;
  }
  std::memset(large, 1, 4096);
  std::free(large);
  for (const std::size_t bytes :
       {std::size_t{kSeparateBlockBytes}, std::size_t{1} << 20, std::size_t{4} << 20}) {
    const std::size_t before = SeparateBlocks();
    void* block = std::malloc(bytes);
    if (block == nullptr) {
      return bytes;
    }
    std::memset(block, 2, bytes);
    const bool separate = SeparateBlocks() == before + 1;
    std::free(block);
    if (!separate || SeparateBlocks() != before) {
      return bytes;
    }
  }
  return 0;
}

// Run in a process of its own: a heap that other tests have used serves large blocks from the room they
// left free.
TEST(Heap, LargeBlocksHaveTheirOwnMappingsEvenAfterALargerOneWasFreed) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(KeptInTheHeap() == 0 ? 0 : 1), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace platform::sdl
