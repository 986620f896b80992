// Code pages of a library handed back to the system (see CodePages.h).
#include "platform/sdl/CodePages.h"

#include <sys/mman.h>

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

namespace platform::sdl {

namespace {

// The next space-separated field of a maps line, advancing `line` past it.
std::string_view NextField(std::string_view& line) {
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    line = {};
    return {};
  }
  line.remove_prefix(start);
  const std::size_t end = line.find(' ');
  const std::string_view field = line.substr(0, end);
  line.remove_prefix(end == std::string_view::npos ? line.size() : end);
  return field;
}

bool ParseHex(std::string_view text, std::uintptr_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<CodeRange> LibraryCodeRanges(std::string_view smaps, std::string_view library) {
  std::vector<CodeRange> ranges;
  // The mapping whose lines are being read, while it is a candidate.
  bool candidate = false;
  CodeRange range;
  while (!smaps.empty()) {
    const std::size_t newline = smaps.find('\n');
    std::string_view line = smaps.substr(0, newline);
    smaps.remove_prefix(newline == std::string_view::npos ? smaps.size() : newline + 1);
    const std::string_view first = NextField(line);
    if (first.empty()) {
      continue;
    }
    if (first.back() == ':') {
      // A field of the mapping above: a candidate with written pages is dropped; the last field
      // (VmFlags) closes it.
      if (candidate && first == "Anonymous:" && NextField(line) != "0") {
        candidate = false;
      } else if (candidate && first == "VmFlags:") {
        ranges.push_back(range);
        candidate = false;
      }
      continue;
    }
    // A mapping: address range, permissions, offset, device, inode, path.
    candidate = false;
    const std::string_view permissions = NextField(line);
    NextField(line);
    NextField(line);
    const std::string_view inode = NextField(line);
    const std::size_t pathStart = line.find_first_not_of(' ');
    const std::string_view path =
        pathStart == std::string_view::npos ? std::string_view{} : line.substr(pathStart);
    if (permissions != "r-xp" || inode == "0" || path.empty() || path.front() != '/' ||
        path.find(library) == std::string_view::npos) {
      continue;
    }
    const std::size_t dash = first.find('-');
    candidate = dash != std::string_view::npos && ParseHex(first.substr(0, dash), range.begin) &&
                ParseHex(first.substr(dash + 1), range.end) && range.end > range.begin;
  }
  return ranges;
}

std::size_t ReleaseLibraryCode(std::string_view library) {
  std::ifstream file("/proc/self/smaps");
  if (!file) {
    return 0;
  }
  const std::string smaps((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t released = 0;
  for (const CodeRange& range : LibraryCodeRanges(smaps, library)) {
    // The pages are the file's own (never written): dropping them loses nothing.
    if (::madvise(reinterpret_cast<void*>(range.begin), range.end - range.begin, MADV_DONTNEED) == 0) {
      released += range.end - range.begin;
    }
  }
  return released;
}

}  // namespace platform::sdl
