// A library's code pages handed back: which mappings qualify, and that their resident pages go.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sdl/CodePages.h"

namespace platform::sdl {
namespace {

TEST(CodePages, OnlyUnwrittenExecutableMappingsOfTheLibraryQualify) {
  const std::string smaps =
      // the library's code, never written: taken
      "7f0000000000-7f0000100000 r-xp 00000000 fe:00 332525                     /usr/lib/libLLVM-15.so.1\n"
      "Rss:                1024 kB\n"
      "Anonymous:             0 kB\n"
      "VmFlags: rd ex mr mw me sd \n"
      // its relocated read-only data: written pages, never taken
      "7f0000100000-7f0000200000 r--p 00100000 fe:00 332525                     /usr/lib/libLLVM-15.so.1\n"
      "Anonymous:          1024 kB\n"
      "VmFlags: rd mr mw me sd \n"
      // its data
      "7f0000200000-7f0000201000 rw-p 00200000 fe:00 332525                     /usr/lib/libLLVM-15.so.1\n"
      "Anonymous:             4 kB\n"
      "VmFlags: rd wr mr mw me ac sd \n"
      // executable but with written pages (a breakpoint, a text relocation): never taken
      "7f0000300000-7f0000301000 r-xp 00000000 fe:00 332526                     /usr/lib/libLLVM-extra.so\n"
      "Anonymous:             4 kB\n"
      "VmFlags: rd ex mr mw me sd \n"
      // another library's code
      "7f0000400000-7f0000500000 r-xp 00000000 fe:00 100                        /usr/lib/libc.so.6\n"
      "Anonymous:             0 kB\n"
      "VmFlags: rd ex mr mw me sd \n"
      // anonymous executable memory (compiled shaders) named nothing
      "7f0000600000-7f0000601000 r-xp 00000000 00:00 0 \n"
      "Anonymous:             4 kB\n"
      "VmFlags: rd ex mr mw me sd \n"
      // a second code mapping of the library, the last in the text
      "7f0000700000-7f0000702000 r-xp 00500000 fe:00 332525                     /usr/lib/libLLVM-15.so.1\n"
      "Anonymous:             0 kB\n"
      "VmFlags: rd ex mr mw me sd";
  const std::vector<CodeRange> unwritten{{0x7f0000000000u, 0x7f0000100000u},
                                         {0x7f0000700000u, 0x7f0000702000u}};
  EXPECT_EQ(LibraryCodeRanges(smaps, "libLLVM", true), unwritten);
  EXPECT_TRUE(LibraryCodeRanges(smaps, "libvulkan", true).empty());
  EXPECT_TRUE(LibraryCodeRanges("", "libLLVM", true).empty());
  // A mapping whose fields do not show it unwritten is not taken.
  EXPECT_TRUE(LibraryCodeRanges("7f0000000000-7f0000100000 r-xp 00000000 fe:00 1 /lib/libLLVM.so\nRss: 4 kB",
                                "libLLVM", true)
                  .empty());
  // The mappings alone (/proc/self/maps) name every code mapping of the library.
  const std::string maps =
      "7f0000000000-7f0000100000 r-xp 00000000 fe:00 332525 /usr/lib/libLLVM-15.so.1\n"
      "7f0000100000-7f0000200000 r--p 00100000 fe:00 332525 /usr/lib/libLLVM-15.so.1\n"
      "7f0000300000-7f0000301000 r-xp 00000000 fe:00 332526 /usr/lib/libLLVM-extra.so\n"
      "7f0000600000-7f0000601000 r-xp 00000000 00:00 0 \n";
  EXPECT_EQ(LibraryCodeRanges(maps, "libLLVM", false),
            (std::vector<CodeRange>{{0x7f0000000000u, 0x7f0000100000u}, {0x7f0000300000u, 0x7f0000301000u}}));
}

// The resident kilobytes of this process's mappings of `path`.
long ResidentKilobytes(const std::string& path) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  long total = 0;
  while (std::getline(smaps, line)) {
    if (!line.empty() && line.find(':') != std::string::npos && line.find(' ') > line.find(':')) {
      if (inside && line.rfind("Rss:", 0) == 0) {
        total += std::atol(line.c_str() + 4);
      }
    } else {
      inside = line.size() >= path.size() && line.compare(line.size() - path.size(), path.size(), path) == 0;
    }
  }
  return total;
}

TEST(CodePages, ResidentCodePagesOfTheLibraryGoAndComeBackIntact) {
  // A file mapped as a library's code is: private, readable and executable.
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("libBrindlewickCodePagesTest_" + std::to_string(::getpid()) + ".so");
  constexpr std::size_t kBytes = 64 * 4096;
  {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < kBytes; ++i) {
      out.put(static_cast<char>(i * 7));
    }
  }
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, kBytes, PROT_READ | PROT_EXEC, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED) {
    std::filesystem::remove(path);
    GTEST_SKIP() << "the temporary folder does not allow executable mappings";
  }
  const auto* bytes = static_cast<const volatile std::uint8_t*>(mapped);
  unsigned sum = 0;
  for (std::size_t i = 0; i < kBytes; i += 4096) {
    sum += bytes[i];
  }
  EXPECT_GE(ResidentKilobytes(path.string()), static_cast<long>(kBytes / 1024));

  LibraryCode code("libBrindlewickCodePagesTest_");
  EXPECT_EQ(code.Release(), kBytes);
  EXPECT_EQ(ResidentKilobytes(path.string()), 0);
  // What is read again is the file's content.
  unsigned again = 0;
  bool same = true;
  for (std::size_t i = 0; i < kBytes; ++i) {
    same = same && bytes[i] == static_cast<std::uint8_t>(i * 7);
    again += i % 4096 == 0 ? bytes[i] : 0;
  }
  EXPECT_TRUE(same);
  EXPECT_EQ(again, sum);
  EXPECT_GE(ResidentKilobytes(path.string()), static_cast<long>(kBytes / 1024));
  // Released again, from what was checked the first time.
  EXPECT_EQ(code.Release(), kBytes);
  EXPECT_EQ(ResidentKilobytes(path.string()), 0);
  EXPECT_EQ(LibraryCode("libNoSuchLibraryMapped").Release(), 0u);
  ::munmap(mapped, kBytes);
  std::filesystem::remove(path);
}

// Code with a written page (a text relocation, a breakpoint) is never handed back: the write would be
// lost.
TEST(CodePages, CodeWithAWrittenPageIsKept) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("libBrindlewickWrittenCode_" + std::to_string(::getpid()) + ".so");
  constexpr std::size_t kBytes = 4 * 4096;
  {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < kBytes; ++i) {
      out.put('x');
    }
  }
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
  ::close(fd);
  ASSERT_NE(mapped, MAP_FAILED);
  static_cast<volatile char*>(mapped)[4096] = 'w';
  if (::mprotect(mapped, kBytes, PROT_READ | PROT_EXEC) != 0) {
    ::munmap(mapped, kBytes);
    std::filesystem::remove(path);
    GTEST_SKIP() << "the temporary folder does not allow executable mappings";
  }
  LibraryCode code("libBrindlewickWrittenCode_");
  EXPECT_EQ(code.Release(), 0u);
  EXPECT_EQ(static_cast<const volatile char*>(mapped)[4096], 'w');
  ::munmap(mapped, kBytes);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace platform::sdl
