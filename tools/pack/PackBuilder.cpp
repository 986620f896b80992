#include "tools/pack/PackBuilder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "tools/common/ByteWriter.h"

namespace packtool {

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
  tools::ByteWriter writer(out);
  writer.U32(0);  // total length, set at the end
  writer.Bytes("QXPAK", 5);
  writer.U32(100);
  writer.U32(static_cast<std::uint32_t>(entries.size()));
  std::set<std::string> seen;
  for (const PackEntry& entry : entries) {
    const std::string name = StoredName(entry.name);
    if (name.empty() || name.size() > 255) {
      throw std::runtime_error("entry name must have 1 to 255 bytes: " + entry.name);
    }
    if (!seen.insert(name).second) {
      throw std::runtime_error("duplicate entry name: " + name);
    }
    writer.U8(static_cast<std::uint8_t>(name.size()));
    writer.Bytes(name.data(), name.size());
  }
  const std::size_t records = out.size();
  out.resize(out.size() + 8 * entries.size());
  std::uint64_t offset = out.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uint64_t size = entries[i].data.size();
    if (offset + size > 0xFFFFFFFFull) {
      throw std::runtime_error("archive larger than 4 GiB");
    }
    writer.U32At(records + 8 * i, static_cast<std::uint32_t>(offset));
    writer.U32At(records + 8 * i + 4, static_cast<std::uint32_t>(size));
    offset += size;
  }
  for (const PackEntry& entry : entries) {
    writer.Bytes(entry.data.data(), entry.data.size());
  }
  writer.FinishLength();
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
  tools::ByteWriter writer(out);
  writer.U32(static_cast<std::uint32_t>(pack.size()));
  writer.Bytes("APC", 3);
  return out;
}

}  // namespace packtool
