// Code pages of a library handed back to the system (see CodePages.h).
#include "platform/sdl/CodePages.h"

#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

namespace platform::sdl {

namespace {

// The next space-separated field of a line, advancing `line` past it.
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

std::string ReadAll(const char* path) {
  std::ifstream file(path);
  return file ? std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>())
              : std::string();
}

}  // namespace

std::vector<CodeRange> LibraryCodeRanges(std::string_view text, std::string_view library, bool unwritten) {
  std::vector<CodeRange> ranges;
  // The mapping whose lines are being read, while it is a candidate, and whether its fields showed it
  // unwritten.
  bool candidate = false;
  bool clean = false;
  CodeRange range;
  const auto close = [&] {
    if (candidate && (clean || !unwritten)) {
      ranges.push_back(range);
    }
    candidate = false;
  };
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    const std::string_view first = NextField(line);
    if (first.empty()) {
      continue;
    }
    if (first.back() == ':') {
      // A field of the mapping above.
      if (first == "Anonymous:") {
        clean = NextField(line) == "0";
      }
      continue;
    }
    // A mapping: address range, permissions, offset, device, inode, path.
    close();
    clean = false;
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
  close();
  return ranges;
}

std::size_t LibraryCode::Release() {
  const std::vector<CodeRange> mapped = LibraryCodeRanges(ReadAll("/proc/self/maps"), library_, false);
  const auto checked = [this](const CodeRange& range) {
    return std::find(checked_.begin(), checked_.end(), range) != checked_.end();
  };
  if (!std::all_of(mapped.begin(), mapped.end(), checked)) {
    // New mappings: looked into once for written pages.
    checked_ = LibraryCodeRanges(ReadAll("/proc/self/smaps"), library_, true);
  }
  std::size_t released = 0;
  for (const CodeRange& range : mapped) {
    // The pages are the file's own (never written): dropping them loses nothing.
    if (checked(range) &&
        ::madvise(reinterpret_cast<void*>(range.begin), range.end - range.begin, MADV_DONTNEED) == 0) {
      released += range.end - range.begin;
    }
  }
  return released;
}

}  // namespace platform::sdl
