// qxpak: writes a "QXPAK" archive from a folder, or appends one to a copy of an executable.
//
//   qxpak [--prefix NAME] [--append EXECUTABLE] OUTPUT FOLDER
//
// Entries are named NAME\<path below FOLDER> (NAME defaults to "data", "" stores bare paths), lower-cased
// with backslashes, as the file manager asks for them. With --append, OUTPUT is a copy of EXECUTABLE
// carrying the archive at its end. The result is mounted once with the engine's reader before the tool
// reports success.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/PackFile.h"
#include "tools/common/ByteWriter.h"
#include "tools/pack/PackBuilder.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: qxpak [--prefix NAME] [--append EXECUTABLE] OUTPUT FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string prefix = "data";
  std::string executable;
  std::string output;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--prefix") == 0 && i + 1 < argc) {
      prefix = argv[++i];
    } else if (std::strcmp(argv[i], "--append") == 0 && i + 1 < argc) {
      executable = argv[++i];
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else if (output.empty()) {
      output = argv[i];
    } else if (folder.empty()) {
      folder = argv[i];
    } else {
      return Usage();
    }
  }
  if (output.empty() || folder.empty()) {
    return Usage();
  }
  try {
    auto entries = packtool::CollectFolder(folder, prefix);
    // An archive written into the folder it packs is not packed into the next one made there.
    std::error_code outputError;
    std::error_code folderError;
    const std::filesystem::path outputPath = std::filesystem::weakly_canonical(output, outputError);
    const std::filesystem::path folderPath = std::filesystem::weakly_canonical(folder, folderError);
    const std::filesystem::path inside = outputPath.lexically_relative(folderPath);
    if (!outputError && !folderError && !inside.empty() && *inside.begin() != "..") {
      const std::string relative = inside.generic_string();
      const std::string skipped = packtool::StoredName(prefix.empty() ? relative : prefix + "\\" + relative);
      std::erase_if(entries, [&](const packtool::PackEntry& entry) { return entry.name == skipped; });
    }
    const auto pack = packtool::BuildPack(entries);
    const std::filesystem::path parent = std::filesystem::path(output).parent_path();
    if (!parent.empty()) {
      std::filesystem::create_directories(parent);
    }
    // The executable is read whole before the output is opened: OUTPUT may name the executable itself.
    std::vector<std::uint8_t> bytes;
    std::filesystem::perms mode = std::filesystem::perms::unknown;
    if (!executable.empty()) {
      mode = std::filesystem::status(executable).permissions();
      std::ifstream in(executable, std::ios::binary);
      if (!in) {
        throw std::runtime_error("cannot read " + executable);
      }
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      const auto appended = packtool::AppendedForm(pack);
      bytes.insert(bytes.end(), appended.begin(), appended.end());
    } else {
      bytes = pack;
    }
    // Written whole and renamed into place: a failed run leaves OUTPUT as it was.
    if (!tools::WriteWholeFile(bytes, output)) {
      throw std::runtime_error("cannot write " + output);
    }
    if (mode != std::filesystem::perms::unknown) {
      // The copy runs like the program it was made from.
      std::filesystem::permissions(output, mode);
    }
    // Read it back the way the engine will.
    const std::string absolute = std::filesystem::absolute(output).string();
    std::uint32_t start = 0;
    if (!executable.empty()) {
      start = static_cast<std::uint32_t>(std::filesystem::file_size(absolute) - pack.size() - 7);
    }
    CorvantisEngine::PackFile check(nullptr, absolute, start, static_cast<std::uint32_t>(pack.size()));
    for (const auto& entry : entries) {
      std::uint32_t size = 0;
      if (!check.GetFileSize(entry.name, size) || size != entry.data.size()) {
        throw std::runtime_error("entry does not read back: " + entry.name);
      }
    }
    std::printf("%s: %zu entries, %zu bytes of pack%s\n", output.c_str(), entries.size(), pack.size(),
                executable.empty() ? "" : " appended");
  } catch (const CorvantisEngine::Error& error) {
    std::fprintf(stderr, "qxpak: %s\n", error.GetMessage().c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qxpak: %s\n", error.what());
    return 1;
  }
  return 0;
}
