#include "tools/pack/PackBuilder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace packtool {

namespace {

void PutUInt(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void SetUInt(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::string StoredName(const std::string& name) {
  std::string stored;
  for (char c : name) {
    char mapped = (c == '/') ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (mapped == '\\' && (stored.empty() || stored.back() == '\\')) {
      continue;
    }
    stored.push_back(mapped);
  }
  return stored;
}

std::vector<std::uint8_t> BuildPack(const std::vector<PackEntry>& entries) {
  std::vector<std::uint8_t> out;
  PutUInt(out, 0);  // total length, set at the end
  out.insert(out.end(), {'Q', 'X', 'P', 'A', 'K'});
  PutUInt(out, 100);
  PutUInt(out, static_cast<std::uint32_t>(entries.size()));
  std::set<std::string> seen;
  for (const PackEntry& entry : entries) {
    const std::string name = StoredName(entry.name);
    if (name.empty() || name.size() > 255) {
      throw std::runtime_error("entry name must have 1 to 255 bytes: " + entry.name);
    }
    if (!seen.insert(name).second) {
      throw std::runtime_error("duplicate entry name: " + name);
    }
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  const std::size_t records = out.size();
  out.resize(out.size() + 8 * entries.size());
  std::uint64_t offset = out.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uint64_t size = entries[i].data.size();
    if (offset + size > 0xFFFFFFFFull) {
      throw std::runtime_error("archive larger than 4 GiB");
    }
    SetUInt(out, records + 8 * i, static_cast<std::uint32_t>(offset));
    SetUInt(out, records + 8 * i + 4, static_cast<std::uint32_t>(size));
    offset += size;
  }
  for (const PackEntry& entry : entries) {
    out.insert(out.end(), entry.data.begin(), entry.data.end());
  }
  SetUInt(out, 0, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::vector<PackEntry> CollectFolder(const std::filesystem::path& folder, const std::string& prefix) {
  if (!std::filesystem::is_directory(folder)) {
    throw std::runtime_error("not a folder: " + folder.string());
  }
  std::vector<PackEntry> entries;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) {
      continue;
    }
    const std::string relative = item.path().lexically_relative(folder).generic_string();
    PackEntry entry;
    entry.name = StoredName(prefix.empty() ? relative : prefix + "\\" + relative);
    std::ifstream in(item.path(), std::ios::binary);
    if (!in) {
      throw std::runtime_error("cannot read " + item.path().string());
    }
    entry.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const PackEntry& a, const PackEntry& b) { return a.name < b.name; });
  return entries;
}

std::vector<std::uint8_t> AppendedForm(const std::vector<std::uint8_t>& pack) {
  std::vector<std::uint8_t> out = pack;
  PutUInt(out, static_cast<std::uint32_t>(pack.size()));
  out.insert(out.end(), {'A', 'P', 'C'});
  return out;
}

}  // namespace packtool
