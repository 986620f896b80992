#pragma once
// Writes "QXPAK" archives (version 100) as the engine's PackFile reads them: u32 total length,
// "QXPAK", u32 version, u32 entry count, the names (u8 length, bytes), one {u32 offset, u32 size}
// record per name, then the entry data in name order. Names are stored lower-cased with backslash
// separators. Also writes the trailer that appends a pack to an executable: [pack][u32 L]["APC"].
//
// Used by the qxpak command-line tool, by tests and by the data build. Errors (a name too long for its
// count byte, duplicate names, an archive beyond 4 GiB, unreadable input) throw std::runtime_error.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace packtool {

struct PackEntry {
  std::string name;  // relative path; '/' or '\' separators, any case
  std::vector<std::uint8_t> data;
};

// The stored form of a name: lower-case, backslash separators, no doubled or leading separators.
std::string StoredName(const std::string& name);

// The archive bytes for the entries, in the given order.
std::vector<std::uint8_t> BuildPack(const std::vector<PackEntry>& entries);

// Every regular file below `folder`, named prefix + "\" + its relative path (no prefix when empty),
// sorted by stored name.
std::vector<PackEntry> CollectFolder(const std::filesystem::path& folder, const std::string& prefix);

// The bytes to put after an executable so that the pack becomes its appended pack.
std::vector<std::uint8_t> AppendedForm(const std::vector<std::uint8_t>& pack);

}  // namespace packtool
